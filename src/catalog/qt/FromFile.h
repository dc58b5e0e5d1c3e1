#pragma once
// "Insert Local Flash File...": a Flash movie from the local disk, copied next to the page,
// with its size and background colour.

#include "catalog/qt/CreationDialog.h"

namespace tlx {

class FromFile : public CreationDialog {
public:
    explicit FromFile(AddinContext& context, const PreviewFactory& previews = {},
                      QWidget* parent = nullptr);

    QLabel* aFileName = nullptr;
    QPushButton* Command2File = nullptr; // "Select File"
    QLineEdit* fWidth = nullptr;
    QLineEdit* fHeight = nullptr;

    void Command2_Click();
    void fWidth_Change();
    void fHeight_Change();
    void RestartPreview() override;

protected:
    std::optional<PreparedObject> Prepare() override;
    // A movie without the .swf extension is not inserted (its file is copied all the same).
    bool MayInsert(const PreparedObject& object) override;
};

} // namespace tlx
