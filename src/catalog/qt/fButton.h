#pragma once
// "Insert Flash Button": a button movie of the button catalog, narrowed by category, with
// two texts, colours, a link and, for buttons that have one, a click sound.

#include "catalog/Catalog.h"
#include "catalog/qt/CreationDialog.h"

class QListWidget;

namespace tlx {

class fButton : public CreationDialog {
public:
    explicit fButton(AddinContext& context, const PreviewFactory& previews = {},
                     QWidget* parent = nullptr);

    QComboBox* FlashStyle = nullptr;
    QListWidget* lstCats = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label4 = nullptr; // "Secondary Text :"
    QComboBox* SoundDesc = nullptr;

    // Hidden lists: FlashName, FlashType and FlashSize of the same index as FlashStyle, and
    // FlashSound of the same index as SoundDesc.
    const CatalogList& Styles() const { return styles_; }
    const CatalogList& Sounds() const { return sounds_; }

    void Form_Load();
    void FlashStyle_Click();
    void lstCats_Click();
    void SoundDesc_Click();
    void Text1_Change();
    void Text2_Change();
    void RestartPreview() override;
    void FilterByCategory();

    // Update mode presets: the style of this movie file and the sound of this file.
    void PresetStyle(const std::string& movieFile);
    void PresetSound(const std::string& soundFile);

protected:
    std::optional<PreparedObject> Prepare() override;

private:
    std::size_t StyleIndex() const;
    std::size_t SoundIndex() const;
    void FillStyles();

    CatalogList styles_{"Available Flash Buttons...", "Available Flash Buttons..."};
    CatalogList sounds_{"Available Flash Sounds...", "Available Flash Buttons..."};
};

} // namespace tlx
