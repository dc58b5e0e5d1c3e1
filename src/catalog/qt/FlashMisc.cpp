#include "catalog/qt/FlashMisc.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <filesystem>

namespace tlx {

FlashMisc::FlashMisc(AddinContext& context, const PreviewFactory& previews, QWidget* parent)
    : CreationDialog(context, previews, kMiscPreviewSize, false, parent) {
    setObjectName(QStringLiteral("FlashMisc"));
    setWindowTitle(QStringLiteral("Insert Misc. Flash Art/Movie"));
    Cats = PickList(QStringLiteral("Cats"), this);
    FlashStyle = new QListWidget(this);
    FlashStyle->setObjectName(QStringLiteral("FlashStyle"));
    FlashStyle->setMinimumHeight(120);

    auto* grid = new QGridLayout(this);
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Category / Style :"), this), row, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Preview"), this), row++, 2);
    grid->addWidget(Cats, row++, 0, 1, 2);
    grid->addWidget(FlashStyle, row, 0, 2, 2);
    grid->addWidget(FlashDemoWidget, row++, 2, Qt::AlignTop);
    // A column of fixed width: the window keeps its layout from one item's description to
    // the next.
    lblDesc->setFixedWidth(200);
    grid->addWidget(lblDesc, row++, 2);
    row = AddColourRows(grid, row, false);
    AddButtonRow(grid, row, 3);

    Form_Load();

    connect(Cats, &QComboBox::currentIndexChanged, this,
            [this] { Guarded("Cats_Click", [&] { Cats_Click(); }); });
    connect(FlashStyle, &QListWidget::currentRowChanged, this, [this](int current) {
        if (current >= 0)
            Guarded("FlashStyle_Click", [&] { FlashStyle_Click(); });
    });
}

void FlashMisc::Form_Load() {
    const QSignalBlocker block(Cats);
    Cats->clear();
    for (const std::string& category :
         ReadCatalogTypeTags(std::filesystem::path(context_.InstallFolder) / kMiscFlashCatalog))
        Cats->addItem(QString::fromStdString(category));
    if (Cats->count() > 0)
        SelectIndex(Cats, 0, [this] { Cats_Click(); });
}

void FlashMisc::Cats_Click() {
    items_.reset();
    ReadCatalog(std::filesystem::path(context_.InstallFolder) / kMiscFlashCatalog, kTypeFileAndName,
                library_, items_, MiscCategoryFilter(Cats->currentText().toStdString()));
    {
        const QSignalBlocker block(FlashStyle);
        FlashStyle->clear();
        for (const std::string& name : items_.styleNames())
            FlashStyle->addItem(QString::fromStdString(name));
        if (!items_.empty())
            FlashStyle->setCurrentRow(0);
    }
    if (!items_.empty())
        FlashStyle_Click();
    RestartPreview();
}

void FlashMisc::FlashStyle_Click() {
    const int i = FlashStyle->currentRow();
    if (i < 0 || static_cast<std::size_t>(i) >= items_.size())
        return;
    const CatalogEntry& entry = items_[static_cast<std::size_t>(i)];
    ShowLibraryMovie(entry.FileName); // a dialog without a text colour
    RestartPreview();
    lblDesc->setText(QString::fromStdString(entry.Description()));
}

void FlashMisc::RestartPreview() {
    FlashDemo->GotoFrame(1);
    FlashDemo->Play();
}

std::optional<PreparedObject> FlashMisc::Prepare() {
    const int i = FlashStyle->currentRow();
    if (i < 0 || static_cast<std::size_t>(i) >= items_.size())
        return std::nullopt;
    return PrepareMiscArt(library_, items_[static_cast<std::size_t>(i)], BackColourText());
}

} // namespace tlx
