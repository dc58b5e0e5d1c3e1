#pragma once
// "Insert Flash Heading": a heading or banner movie with its text, colours, an optional
// background movie and a link.

#include "catalog/Catalog.h"
#include "catalog/qt/CreationDialog.h"

namespace tlx {

class FlashHeading : public CreationDialog {
public:
    explicit FlashHeading(AddinContext& context, const PreviewFactory& previews = {},
                          QWidget* parent = nullptr);

    QComboBox* FlashStyle = nullptr;
    QComboBox* BackStyle = nullptr;
    QLineEdit* Text1 = nullptr;

    const CatalogList& Styles() const { return styles_; }
    const CatalogList& Backgrounds() const { return backgrounds_; }

    void Form_Load();
    void FlashStyle_Click();
    void BackStyle_Click();
    void Text1_Change();
    void RestartPreview() override;

    // Update mode presets.
    void PresetStyle(const std::string& movieFile);
    void PresetBackground(const std::string& backgroundFile);

protected:
    std::optional<PreparedObject> Prepare() override;

private:
    std::size_t StyleIndex() const;
    std::size_t BackIndex() const;

    CatalogList styles_{"Available Flash Headings/Banners...", "Available Flash Buttons..."};
    CatalogList backgrounds_{"None...", "Available Flash Buttons..."};
};

} // namespace tlx
