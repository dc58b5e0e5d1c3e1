#pragma once
// "Insert Misc. Flash Art/Movie": ready-made art by category, with a background colour.

#include "catalog/Catalog.h"
#include "catalog/qt/CreationDialog.h"

class QListWidget;

namespace tlx {

class FlashMisc : public CreationDialog {
public:
    explicit FlashMisc(AddinContext& context, const PreviewFactory& previews = {},
                       QWidget* parent = nullptr);

    QComboBox* Cats = nullptr;
    QListWidget* FlashStyle = nullptr;

    // FlashName and FlashSize of the same index as FlashStyle.
    const CatalogList& Items() const { return items_; }

    void Form_Load();
    void Cats_Click();
    void FlashStyle_Click();
    void RestartPreview() override;

protected:
    std::optional<PreparedObject> Prepare() override;

private:
    CatalogList items_;
};

} // namespace tlx
