#include "catalog/qt/FlashHeading.h"

#include "catalog/StyleTypes.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <filesystem>

namespace tlx {

FlashHeading::FlashHeading(AddinContext& context, const PreviewFactory& previews, QWidget* parent)
    : CreationDialog(context, previews, kHeadingPreviewSize, true, parent) {
    setObjectName(QStringLiteral("FlashHeading"));
    setWindowTitle(QStringLiteral("Insert Flash Heading"));
    FlashStyle = PickList(QStringLiteral("FlashStyle"), this);
    BackStyle = PickList(QStringLiteral("BackStyle"), this);
    Text1 = new QLineEdit(QStringLiteral("Your Text"), this);
    Text1->setObjectName(QStringLiteral("Text1"));

    auto* grid = new QGridLayout(this);
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Foreground Style :"), this), row, 0);
    grid->addWidget(FlashStyle, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Background Style :"), this), row, 0);
    grid->addWidget(BackStyle, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Text :"), this), row, 0);
    grid->addWidget(Text1, row++, 1);
    row = AddLinkRows(grid, row);
    row = AddColourRows(grid, row, true);
    grid->addWidget(FlashDemoWidget, row++, 0, 1, 2, Qt::AlignHCenter);
    grid->addWidget(lblDesc, row++, 0, 1, 2);
    AddButtonRow(grid, row, 2);

    Form_Load();

    connect(FlashStyle, &QComboBox::currentIndexChanged, this,
            [this] { Guarded("FlashStyle_Click", [&] { FlashStyle_Click(); }); });
    connect(BackStyle, &QComboBox::currentIndexChanged, this,
            [this] { Guarded("BackStyle_Click", [&] { BackStyle_Click(); }); });
    connect(Text1, &QLineEdit::textChanged, this,
            [this] { Guarded("Text1_Change", [&] { Text1_Change(); }); });
}

void FlashHeading::Form_Load() {
    const std::filesystem::path install(context_.InstallFolder);
    ReadCatalog(install / kHeadingsCatalog, kTypeFileAndName, library_, styles_);
    FillPickList(FlashStyle, styles_);
    SelectIndex(FlashStyle, 0, [this] { FlashStyle_Click(); });
    ReadCatalog(install / kBackgroundsCatalog, kFileAndName, library_, backgrounds_);
    FillPickList(BackStyle, backgrounds_);
    SelectIndex(BackStyle, 0, [this] { BackStyle_Click(); });
    RestartPreview();
}

std::size_t FlashHeading::StyleIndex() const {
    return PickedIndex(FlashStyle, styles_);
}

std::size_t FlashHeading::BackIndex() const {
    return PickedIndex(BackStyle, backgrounds_);
}

void FlashHeading::FlashStyle_Click() {
    const std::size_t i = StyleIndex();
    const CatalogEntry& entry = styles_[i];
    if (i != 0) {
        ShowLibraryMovie(entry.FileName);
        FlashDemo->SetVariable("T1", Text1->text().toStdString());
        if (const std::size_t b = BackIndex(); b != 0)
            FlashDemo->SetVariable("BM", backgrounds_[b].FileName);
        RestartPreview();
    }
    const HeadingStyle style = HeadingStyleOf(entry.TypeTag);
    SetColorControlsVisible(ApplyStyle(style.ColorControlsVisible, !fTextColor->isHidden()));
    lblDesc->setText(QString::fromStdString(entry.Description()));
}

void FlashHeading::BackStyle_Click() {
    if (StyleIndex() == 0)
        return;
    const std::size_t b = BackIndex();
    FlashDemo->SetVariable("BM", b != 0 ? backgrounds_[b].FileName : std::string());
    RestartPreview();
}

void FlashHeading::Text1_Change() {
    FlashDemo->SetVariable("T1", Text1->text().toStdString());
    RestartPreview();
}

void FlashHeading::RestartPreview() {
    FlashDemo->GotoFrame(1);
    FlashDemo->Play();
}

void FlashHeading::PresetStyle(const std::string& movieFile) {
    SelectFileName(FlashStyle, styles_, movieFile, [this] { FlashStyle_Click(); });
}

void FlashHeading::PresetBackground(const std::string& backgroundFile) {
    SelectFileName(BackStyle, backgrounds_, backgroundFile, [this] { BackStyle_Click(); });
}

std::optional<PreparedObject> FlashHeading::Prepare() {
    const std::size_t i = StyleIndex();
    if (i == 0)
        return std::nullopt;
    HeadingParameters values;
    values.T1 = Text1->text().toStdString();
    values.TextColor = TextColourText();
    values.TU = Text3->text().toStdString();
    values.TW = Text4->text().toStdString();
    if (const std::size_t b = BackIndex(); b != 0)
        values.BM = backgrounds_[b].FileName;
    return PrepareHeading(library_, styles_[i], values, BackColourText());
}

} // namespace tlx
