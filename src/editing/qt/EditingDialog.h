#pragma once
// What the dialogs acting on the page's selection share (properties, colour weightings, sound
// events): their handlers run under the guard until the dialog has unloaded, an action unloads
// it once (closing it as accepted), and Help opens the install folder's help.

#include "addinbase/AddinContext.h"
#include "addinbase/GuardedHandler.h"
#include "platform/qt/DialogParts.h"

#include <QDialog>
#include <utility>

namespace tlx {

class EditingDialog : public QDialog {
public:
    // Whether an action has unloaded the dialog.
    bool Unloaded() const { return unloaded_; }

protected:
    // A modal dialog.
    EditingDialog(AddinContext& context, QWidget* parent);

    // Runs a handler unless the dialog has unloaded; an unexpected failure is shown in a
    // message box, never passed on.
    template <typename Body> void Guarded(const char* where, Body&& body) {
        if (!unloaded_)
            RunGuarded(context_.platform, where, std::forward<Body>(body));
    }
    void Unload();
    void OpenHelp();

    AddinContext& context_;

private:
    bool unloaded_ = false;
};

// Their forms are not shown once the dialog has unloaded while it loaded.
static_assert(UnloadsItself<EditingDialog>);

} // namespace tlx
