#pragma once
// One action of the user on a page (a dialog opened from the panel, a page command): while it
// lasts the add-in keeps to the page that was active when it began, even when the editor
// brings another page in front meanwhile (opening and closing an intro's text file does), and
// every change it makes to that page is one step of the editor's undo history, named after it.

#include "hostapi/HostEditor.h"

#include <string>
#include <string_view>

namespace tlx {

class UserAction {
public:
    // `name` as the Edit menu shows it ("Insert Flash Button"); a trailing "." or "..." of a
    // caption is left out.
    UserAction(HostEditor& editor, std::string_view name) : editor_(editor) {
        window_ = editor_.ActivePageWindow();
        previous_ = editor_.BindPageWindow(window_);
        document_ = window_ ? window_->Document() : nullptr;
        while (!name.empty() && name.back() == '.')
            name.remove_suffix(1);
        if (document_)
            document_->BeginUserAction(name);
    }
    UserAction(const UserAction&) = delete;
    UserAction& operator=(const UserAction&) = delete;
    ~UserAction() {
        if (document_)
            document_->EndUserAction();
        editor_.BindPageWindow(std::move(previous_));
    }

private:
    HostEditor& editor_;
    PageWindowPtr window_;
    PageWindowPtr previous_;
    DocumentPtr document_;
};

} // namespace tlx
