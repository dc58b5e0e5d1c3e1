#include "updates/qt/ImportNew.h"

#include "addinbase/GuardedHandler.h"
#include "platform/qt/QtPlatform.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <utility>

namespace tlx {

namespace {

QString qs(std::string_view text) {
    return toQString(std::string(text));
}

} // namespace

ImportNew::ImportNew(Platform& platform, std::filesystem::path installFolder, QWidget* parent)
    : QDialog(parent), platform_(platform), installFolder_(std::move(installFolder)) {
    setWindowTitle(qs(kImportCaption));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    auto* chooseRow = new QHBoxLayout;
    Command1 = new QPushButton(this);
    Command1->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    Command1->setToolTip(qs(kChooseArchiveTitle));
    Command1->setAccessibleName(qs(kChooseArchiveTitle));
    aFileName = new QLabel(qs(kNoFileSelectedCaption), this);
    aFileName->setMinimumWidth(320);
    aFileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    chooseRow->addWidget(Command1);
    chooseRow->addWidget(aFileName, 1);
    layout->addLayout(chooseRow);

    lblProgress = new QLabel(this);
    Progress = new QProgressBar(this);
    Progress->setRange(0, 1);
    Progress->setValue(0);
    lblProgress->hide();
    Progress->hide();
    layout->addWidget(lblProgress);
    layout->addWidget(Progress);

    Command2 = new QPushButton(QStringLiteral("Import Now"), this);
    Command7 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setDefault(true);
    layout->addLayout(ButtonRow({}, {Command2, Command7}));

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
}

void ImportNew::Command1_Click() {
    if (importing_)
        return;
    // A chooser that fails leaves the caption as it was and says why.
    RunGuarded(platform_, "ImportNew.Command1", [&] {
        FileDialogOptions options;
        options.title = std::string(kChooseArchiveTitle);
        options.filter = std::string(kChooseArchiveFilter);
        const std::optional<std::string> chosen = platform_.openFileDialog(options);
        if (!chosen || chosen->empty())
            return; // cancelled
        aFileName->setText(toQString(*chosen));
    });
}

void ImportNew::Command2_Click() {
    if (importing_)
        return;
    const std::string chosen = fromQString(aFileName->text());
    const std::string package = chosen == kNoFileSelectedCaption ? std::string() : chosen;

    importing_ = true;
    cancelRequested_ = false;
    Command1->setEnabled(false);
    Command2->setEnabled(false);
    lblProgress->setText(QStringLiteral("Unpacking..."));
    lblProgress->setVisible(!package.empty());
    Progress->setVisible(!package.empty());
    ImportOptions options;
    options.progress = [this](const ImportProgress& progress) { return onProgress(progress); };
    // ImportPackage shows its own messages and never throws.
    const ImportOutcome outcome = ImportPackage(platform_, installFolder_, package, options);
    lastOutcome_ = outcome;
    importing_ = false;
    Command1->setEnabled(true);
    Command2->setEnabled(true);
    lblProgress->hide();
    Progress->hide();

    switch (outcome) {
    case ImportOutcome::NoFileSelected:
    case ImportOutcome::BadDataFile:
        return; // the dialog stays open
    case ImportOutcome::Cancelled:
    case ImportOutcome::Imported:
    case ImportOutcome::Refused:
    case ImportOutcome::TooLarge:
    case ImportOutcome::Failed:
        QDialog::reject();
        return;
    }
}

bool ImportNew::onProgress(const ImportProgress& progress) {
    Progress->setRange(0, std::max(progress.entriesTotal, 1));
    Progress->setValue(progress.entriesDone);
    lblProgress->setText(QStringLiteral("Unpacking %1 of %2 files...")
                             .arg(std::min(progress.entriesDone + 1, progress.entriesTotal))
                             .arg(progress.entriesTotal));
    platform_.doEvents();
    return !cancelRequested_;
}

void ImportNew::Command7_Click() {
    reject();
}

void ImportNew::reject() {
    if (importing_) {
        // The import ends at its next step and puts everything back; then the dialog closes.
        cancelRequested_ = true;
        lblProgress->setText(QStringLiteral("Cancelling..."));
        return;
    }
    QDialog::reject();
}

} // namespace tlx
