// The form that owns a dialog: it shows the dialog's modal loop unless the dialog unloaded
// itself while it loaded, and it carries the form's name.

#include "platform/qt/DialogParts.h"

#include <QDialog>
#include <gtest/gtest.h>

namespace tlx {
namespace {

// Counts its modal loops instead of running them.
class CountingDialog : public QDialog {
public:
    int exec() override {
        ++loops;
        return QDialog::Rejected;
    }
    int loops = 0;
};

class UnloadingDialog : public CountingDialog {
public:
    explicit UnloadingDialog(bool unloadsWhileLoading) : unloaded_(unloadsWhileLoading) {}
    bool Unloaded() const { return unloaded_; }

private:
    bool unloaded_;
};

TEST(DialogForm, ShowsTheDialogUnlessItUnloadedWhileItLoaded) {
    static_assert(!UnloadsItself<CountingDialog> && UnloadsItself<UnloadingDialog>);
    DialogForm<CountingDialog, "frmPlain"> plain;
    DialogForm<UnloadingDialog, "frmStays"> stays(false);
    DialogForm<UnloadingDialog, "frmGone"> gone(true);
    struct Row {
        ModalForm& form;
        const int& loops;
        const char* name;
        int wantLoops;
    };
    const Row rows[] = {{plain, plain.dialog().loops, "frmPlain", 1},
                        {stays, stays.dialog().loops, "frmStays", 1},
                        {gone, gone.dialog().loops, "frmGone", 0}};
    for (const Row& row : rows) {
        row.form.execModal();
        EXPECT_EQ(row.loops, row.wantLoops) << row.name;
        EXPECT_EQ(row.form.formName(), row.name);
    }
}

} // namespace
} // namespace tlx
