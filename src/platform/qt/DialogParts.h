#pragma once
// What the add-in's dialogs build alike: their bottom rows of buttons, the small picture
// buttons in them, and the form that owns a dialog and shows it modally through the platform.

#include "platform/Platform.h"

#include <QStyle>
#include <algorithm>
#include <concepts>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

class QHBoxLayout;
class QToolButton;
class QWidget;

namespace tlx {

// A tool button showing one of the style's standard pictures at 20 by 20 pixels, with
// `toolTip` as its tool tip.
QToolButton* PictureButton(QStyle::StandardPixmap icon, const char* toolTip, QWidget* parent);

// A row of buttons: `left` at its start and `right` at its end, the free space between them.
QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> left, std::initializer_list<QWidget*> right);

// A form's name as a template argument: DialogForm<AboutBox, "frmAbout">.
template <std::size_t N> struct FormName {
    constexpr FormName(const char (&text)[N]) { std::copy_n(text, N, chars); }
    char chars[N] = {};
};

// A dialog that can unload itself, even while it loads.
template <typename Dialog>
concept UnloadsItself = requires(const Dialog& dialog) {
    { dialog.Unloaded() } -> std::convertible_to<bool>;
};

// A dialog as a form shown modally through the platform: the form makes the dialog from its
// own arguments and owns it. A dialog that unloads itself is not shown once it has.
template <typename Dialog, FormName Name> class DialogForm : public ModalForm {
public:
    template <typename... Args>
    explicit DialogForm(Args&&... args)
        : dialog_(std::make_unique<Dialog>(std::forward<Args>(args)...)) {}

    std::string formName() const override { return Name.chars; }
    void execModal() override {
        if constexpr (UnloadsItself<Dialog>)
            if (dialog_->Unloaded())
                return;
        dialog_->exec();
    }
    Dialog& dialog() { return *dialog_; }

private:
    std::unique_ptr<Dialog> dialog_;
};

} // namespace tlx
