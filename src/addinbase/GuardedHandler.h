#pragma once
// Runs a handler of one of the add-in's windows: an unexpected failure is written to the log
// and shown in a message box, never passed on to the event loop.

#include "platform/Log.h"
#include "platform/Platform.h"

#include <string>

namespace tlx {

inline constexpr std::string_view kUnexpectedFailureText =
    "This command stopped on an unexpected error:\r";

template <typename Body>
void RunGuarded(Platform& platform, const char* where, Body&& body,
                const std::string& title = "Mirvane") noexcept {
    try {
        body();
    } catch (...) {
        const std::string what = LogCurrentException(where);
        try {
            platform.messageBox(std::string(kUnexpectedFailureText) + what, MsgButtons::OkOnly,
                                MsgIcon::Critical, title);
        } catch (const std::exception&) {
            // The message box itself failed (a desktop that cannot show one): the log has it.
            LogCurrentException(where);
        }
    }
}

} // namespace tlx
