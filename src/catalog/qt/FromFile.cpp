#include "catalog/qt/FromFile.h"

#include "markup/TextHelpers.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tlx {

namespace {

constexpr const char* kNoFile = "No File Selected";

void KeepNumber(QLineEdit* box) {
    bool ok = false;
    box->text().trimmed().toDouble(&ok);
    if (!ok)
        box->setText(QStringLiteral("100"));
}

} // namespace

FromFile::FromFile(AddinContext& context, const PreviewFactory& previews, QWidget* parent)
    : CreationDialog(context, previews, kLocalFilePreviewSize, false, parent) {
    setObjectName(QStringLiteral("FromFile"));
    setWindowTitle(QStringLiteral("Insert Local Flash File..."));
    aFileName = new QLabel(QLatin1String(kNoFile), this);
    aFileName->setObjectName(QStringLiteral("aFileName"));
    aFileName->setMinimumWidth(260);
    Command2File = DialogButton(QStringLiteral("..."), QStringLiteral("Command2"),
                                QStringLiteral("Select File"), this);
    fWidth = new QLineEdit(QStringLiteral("100"), this);
    fWidth->setObjectName(QStringLiteral("fWidth"));
    fHeight = new QLineEdit(QStringLiteral("100"), this);
    fHeight->setObjectName(QStringLiteral("fHeight"));

    auto* grid = new QGridLayout(this);
    auto* file = new QHBoxLayout;
    file->addWidget(aFileName, 1);
    file->addWidget(Command2File);
    grid->addLayout(file, 0, 0, 1, 2);
    auto* basics = new QGroupBox(QStringLiteral("Basic Properties"), this);
    auto* basicsGrid = new QGridLayout(basics);
    basicsGrid->addWidget(new QLabel(QStringLiteral("Width"), basics), 0, 0);
    basicsGrid->addWidget(fWidth, 0, 1);
    basicsGrid->addWidget(new QLabel(QStringLiteral("Height"), basics), 1, 0);
    basicsGrid->addWidget(fHeight, 1, 1);
    basicsGrid->addWidget(new QLabel(QStringLiteral("Background Color :"), basics), 2, 0);
    auto* colour = new QHBoxLayout;
    colour->addWidget(fBackColor);
    colour->addWidget(btBackColor);
    colour->addStretch(1);
    basicsGrid->addLayout(colour, 2, 1);
    grid->addWidget(basics, 1, 0);
    grid->addWidget(FlashDemoWidget, 1, 1);
    lblDesc->hide();
    AddButtonRow(grid, 2, 2);

    connect(Command2File, &QPushButton::clicked, this,
            [this] { Guarded("Command2_Click", [&] { Command2_Click(); }); });
    connect(fWidth, &QLineEdit::textChanged, this,
            [this] { Guarded("fWidth_Change", [&] { fWidth_Change(); }); });
    connect(fHeight, &QLineEdit::textChanged, this,
            [this] { Guarded("fHeight_Change", [&] { fHeight_Change(); }); });
}

void FromFile::Command2_Click() {
    FileDialogOptions options;
    options.title = "Flash Movie To Import";
    options.filter = "Flash Files|*.swf";
    const std::optional<std::string> chosen = context_.platform.openFileDialog(options);
    if (!chosen || chosen->empty())
        return;
    aFileName->setText(QString::fromStdString(*chosen));
    FlashDemo->Movie(*chosen);
    FlashDemo->Play();
}

void FromFile::fWidth_Change() {
    KeepNumber(fWidth);
}

void FromFile::fHeight_Change() {
    KeepNumber(fHeight);
}

void FromFile::RestartPreview() {
    FlashDemo->Play();
}

std::optional<PreparedObject> FromFile::Prepare() {
    const std::string path = aFileName->text().toStdString();
    if (path.empty() || path == kNoFile || path.find(".swf") == std::string::npos)
        return std::nullopt;
    return PrepareLocalFile(path, fWidth->text().toStdString(), fHeight->text().toStdString(),
                            BackColourText());
}

bool FromFile::MayInsert(const PreparedObject& object) {
    if (UpperCase(object.MovieRef).find(".SWF") != std::string::npos)
        return true;
    // The file is copied even so, as the import comes before this check.
    ImportFiles(GetPageFolder(context_.Editor), object.Files);
    context_.platform.messageBox(std::string(kNoSwfExtensionMessage), MsgButtons::OkOnly,
                                 MsgIcon::Exclamation, std::string(kResultTitle));
    return false;
}

} // namespace tlx
