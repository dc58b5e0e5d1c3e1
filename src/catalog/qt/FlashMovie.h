#pragma once
// "Insert Flash Intro Movie": an intro movie with music, a text effect, a background, two
// texts (kept in a small text file next to the movie), a text size, colours and a link.

#include "catalog/Catalog.h"
#include "catalog/qt/CreationDialog.h"

class QPlainTextEdit;

namespace tlx {

class FlashMovie : public CreationDialog {
public:
    explicit FlashMovie(AddinContext& context, const PreviewFactory& previews = {},
                        QWidget* parent = nullptr);

    QComboBox* FlashStyle = nullptr;
    QComboBox* FlashMusic = nullptr;
    QComboBox* HeadStyle = nullptr;
    QComboBox* BackStyle = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* Command4 = nullptr; // "Set Text To Preview" for Text1
    QPlainTextEdit* AddText = nullptr;
    QPushButton* Command3 = nullptr; // "Set Text To Preview" for AddText
    QLineEdit* TSize = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* VFile = nullptr;    // hidden: update mode's new text file name
    QLineEdit* OldVFile = nullptr; // hidden: update mode's previous text file name

    const std::string& TextFileName() const { return textFileName_; }
    std::string TextFilePath() const;
    const CatalogList& Styles() const { return styles_; }
    const CatalogList& Music() const { return music_; }
    const CatalogList& Effects() const { return effects_; }
    const CatalogList& Backgrounds() const { return backgrounds_; }
    // The fill of HeadStyle, as a colour integer (red in the lowest byte).
    std::uint32_t HeadStyleFill() const { return headStyleFill_; }

    void Form_Load();
    void FlashStyle_Click();
    void FlashMusic_Click();
    void HeadStyle_Click();
    void BackStyle_Click();
    void TSize_Change();
    void SetTextToPreview();
    void VFile_Change();
    void RestartPreview() override;

    // Update mode presets: the list index of a file in each list.
    void PresetStyle(const std::string& movieFile);
    void PresetMusic(const std::string& file);
    void PresetEffect(const std::string& file);
    void PresetBackground(const std::string& file);

protected:
    std::optional<PreparedObject> Prepare() override;
    void BeforeUpdate() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::size_t StyleIndex() const;
    // The preview takes the file chosen in `list` as its variable `variable` and restarts;
    // nothing while no movie is chosen.
    void ShowChoice(const char* variable, const QComboBox* list, const CatalogList& entries);
    void SetHeadStyleFill(std::uint32_t fill);

    std::string textFileName_;
    std::uint32_t headStyleFill_ = 0xFFFFFFu;
    CatalogList styles_{"Available Flash Intro Movies...", "Available Flash Buttons..."};
    CatalogList music_{"Available Flash Music", "Available Flash Buttons..."};
    CatalogList effects_{"Available Flash Intro Text Effects...", "Available Flash Buttons..."};
    CatalogList backgrounds_{"None...", "Available Flash Buttons..."};
};

} // namespace tlx
