#include "catalog/qt/fButton.h"

#include "catalog/StyleTypes.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <filesystem>

namespace tlx {

fButton::fButton(AddinContext& context, const PreviewFactory& previews, QWidget* parent)
    : CreationDialog(context, previews, kButtonPreviewSize, true, parent) {
    setObjectName(QStringLiteral("fButton"));
    setWindowTitle(QStringLiteral("Insert Flash Button"));

    FlashStyle = PickList(QStringLiteral("FlashStyle"), this);
    lstCats = new QListWidget(this);
    lstCats->setObjectName(QStringLiteral("lstCats"));
    lstCats->addItems({QStringLiteral("All Buttons"), QStringLiteral("Uncategorised")});
    lstCats->setFixedWidth(130);
    Text1 = new QLineEdit(QStringLiteral("Your Text"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text2 = new QLineEdit(QStringLiteral("More Text"), this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Label4 = new QLabel(QStringLiteral("Secondary Text :"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    SoundDesc = PickList(QStringLiteral("SoundDesc"), this);
    SoundDesc->setToolTip(QStringLiteral("Available on some buttons"));

    auto* grid = new QGridLayout(this);
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Style :"), this), row, 0);
    grid->addWidget(FlashStyle, row, 1);
    auto* cats = new QGroupBox(QStringLiteral(" Categories :"), this);
    auto* catsLayout = new QVBoxLayout(cats);
    catsLayout->addWidget(lstCats);
    grid->addWidget(cats, row, 2, 6, 1);
    ++row;
    grid->addWidget(new QLabel(QStringLiteral("Initial Text :"), this), row, 0);
    grid->addWidget(Text1, row++, 1);
    grid->addWidget(Label4, row, 0);
    grid->addWidget(Text2, row++, 1);
    row = AddLinkRows(grid, row);
    row = AddColourRows(grid, row, true);
    grid->addWidget(new QLabel(QStringLiteral("Sound :"), this), row, 0);
    grid->addWidget(SoundDesc, row++, 1);
    grid->addWidget(FlashDemoWidget, row, 0, 1, 2, Qt::AlignLeft);
    grid->addWidget(lblDesc, row++, 2);
    AddButtonRow(grid, row, 3);

    Form_Load();

    connect(FlashStyle, &QComboBox::currentIndexChanged, this,
            [this] { Guarded("FlashStyle_Click", [&] { FlashStyle_Click(); }); });
    connect(SoundDesc, &QComboBox::currentIndexChanged, this,
            [this] { Guarded("SoundDesc_Click", [&] { SoundDesc_Click(); }); });
    connect(lstCats, &QListWidget::currentRowChanged, this,
            [this] { Guarded("lstCats_Click", [&] { lstCats_Click(); }); });
    connect(Text1, &QLineEdit::textChanged, this,
            [this] { Guarded("Text1_Change", [&] { Text1_Change(); }); });
    connect(Text2, &QLineEdit::textChanged, this,
            [this] { Guarded("Text2_Change", [&] { Text2_Change(); }); });
}

void fButton::Form_Load() {
    const std::filesystem::path install(context_.InstallFolder);
    styles_.reset("Available Flash Buttons...", "Available Flash Buttons...");
    const CatalogResult buttons =
        ReadCatalog(install / kButtonsCatalog, kTypeFileAndName, library_);
    // The categories in the order their first buttons come, each once, after the fixed rows.
    QSet<QString> listed;
    for (int i = 0; i < lstCats->count(); ++i)
        listed.insert(lstCats->item(i)->text());
    QStringList categories;
    for (const CatalogEntry& entry : buttons.Entries) {
        styles_.append(entry);
        const std::string category = entry.Category();
        if (category.empty())
            continue;
        const QString text = QString::fromStdString(category);
        if (!listed.contains(text)) {
            listed.insert(text);
            categories << text;
        }
    }
    lstCats->addItems(categories);
    sounds_.reset("Available Flash Sounds...", "Available Flash Buttons...");
    ReadCatalog(install / kSoundsCatalog, kFileAndName, library_, sounds_);
    FillPickList(FlashStyle, styles_);
    FillPickList(SoundDesc, sounds_);
    SelectIndex(SoundDesc, 0, [this] { SoundDesc_Click(); });
    SelectIndex(FlashStyle, 0, [this] { FlashStyle_Click(); });
    Command1->setEnabled(true);
    btUpdate->setEnabled(false);
    RestartPreview();
}

std::size_t fButton::StyleIndex() const {
    return PickedIndex(FlashStyle, styles_);
}

std::size_t fButton::SoundIndex() const {
    return PickedIndex(SoundDesc, sounds_);
}

void fButton::FlashStyle_Click() {
    const std::size_t i = StyleIndex();
    const CatalogEntry& entry = styles_[i];
    if (i != 0) {
        Command1->setEnabled(true);
        btUpdate->setEnabled(true);
        ShowLibraryMovie(entry.FileName);
        FlashDemo->SetVariable("T1", Text1->text().toStdString());
        FlashDemo->SetVariable("T2", Text2->text().toStdString());
        RestartPreview();
    } else {
        Command1->setEnabled(false);
        btUpdate->setEnabled(false);
    }
    const ButtonStyle style = ButtonStyleOf(entry.TypeTag);
    SoundDesc->setEnabled(style.SoundEnabled);
    SetColorControlsVisible(ApplyStyle(style.ColorControlsVisible, !fTextColor->isHidden()));
    const bool secondary = ApplyStyle(style.SecondaryTextVisible, !Text2->isHidden());
    Text2->setVisible(secondary);
    Label4->setVisible(secondary);
    lblDesc->setText(QString::fromStdString(entry.Description()));
}

void fButton::RestartPreview() {
    if (HasSound(styles_[StyleIndex()].TypeTag))
        FlashDemo->SetVariable("BS", (library_.folder() / sounds_[SoundIndex()].FileName).string());
    FlashDemo->GotoFrame(1);
    FlashDemo->Play();
}

void fButton::SoundDesc_Click() {
    FlashStyle_Click();
}

void fButton::Text1_Change() {
    FlashDemo->SetVariable("T1", Text1->text().toStdString());
    RestartPreview();
}

void fButton::Text2_Change() {
    FlashDemo->SetVariable("T2", Text2->text().toStdString());
    RestartPreview();
}

void fButton::lstCats_Click() {
    FilterByCategory();
}

void fButton::FilterByCategory() {
    const std::filesystem::path catalog =
        std::filesystem::path(context_.InstallFolder) / kButtonsCatalog;
    const CatalogResult probe = ReadCatalog(catalog, kTypeFileAndName, LibraryFolder{});
    if (probe.Status != CatalogStatus::Missing) {
        const int c = lstCats->currentRow();
        const QListWidgetItem* item = c >= 0 ? lstCats->item(c) : nullptr;
        styles_.reset("Available Flash Buttons", "Available Flash Buttons");
        ReadCatalog(catalog, kTypeFileAndName, library_, styles_,
                    ButtonCategoryFilter(c, item ? item->text().toStdString() : std::string()));
        FillPickList(FlashStyle, styles_);
    }
    SelectIndex(FlashStyle, 0, [this] { FlashStyle_Click(); });
}

void fButton::PresetStyle(const std::string& movieFile) {
    SelectFileName(FlashStyle, styles_, movieFile, [this] { FlashStyle_Click(); });
}

void fButton::PresetSound(const std::string& soundFile) {
    SelectFileName(SoundDesc, sounds_, soundFile, [this] { SoundDesc_Click(); });
}

std::optional<PreparedObject> fButton::Prepare() {
    const std::size_t i = StyleIndex();
    if (i == 0)
        return std::nullopt;
    const CatalogEntry& entry = styles_[i];
    const std::size_t s = SoundIndex();
    const std::string sound = HasSound(entry.TypeTag) && s != 0 ? sounds_[s].FileName : "";
    ButtonParameters values;
    values.T1 = Text1->text().toStdString();
    values.T2 = Text2->text().toStdString();
    values.TextColor = TextColourText();
    values.TU = Text3->text().toStdString();
    values.TW = Text4->text().toStdString();
    return PrepareButton(library_, entry, values, sound, BackColourText());
}

} // namespace tlx
