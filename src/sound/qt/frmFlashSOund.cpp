#include "sound/qt/frmFlashSOund.h"

#include "addinbase/GuardedHandler.h"
#include "catalog/LibraryFolder.h"
#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"
#include "platform/Log.h"
#include "platform/qt/QtPlatform.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <filesystem>

namespace tlx {

namespace fs = std::filesystem;

namespace {

// The file an image's markup shows, resolved against the page's address; empty when it is
// not a file next to the page.
fs::path ImageFileOf(const std::string& markup, const std::string& pageAddress) {
    std::string src = TextBetween(markup, "src=\"", "\"");
    if (src.empty())
        src = TextBetween(markup, "src='", "'");
    if (src.empty() || src.find("://") != std::string::npos || !pageAddress.starts_with("file://"))
        return {};
    if (const std::size_t cut = src.find_first_of("?#"); cut != std::string::npos)
        src.erase(cut);
    const fs::path page = PercentDecoded(std::string_view(pageAddress).substr(7));
    return page.parent_path() / PercentDecoded(src);
}

// Holds the clipboard's content while the clipboard is borrowed and puts it back when it goes;
// when that fails, the user is told in the status bar that the clipboard's content is lost.
class ClipboardKeeper {
public:
    ClipboardKeeper(Platform& platform, const HostEditor& editor)
        : platform_(platform), editor_(editor), saved_(platform.clipboardContent()) {}
    ~ClipboardKeeper() {
        try {
            platform_.setClipboardContent(saved_);
        } catch (const std::exception&) {
            const std::string what =
                LogCurrentException("frmFlashSOund: putting the clipboard back");
            try {
                editor_.SetStatusText(std::string(kClipboardNotRestoredText) + ": " + what + ".");
            } catch (const std::exception&) {
                LogCurrentException("frmFlashSOund: status bar");
            }
        }
    }
    ClipboardKeeper(const ClipboardKeeper&) = delete;
    ClipboardKeeper& operator=(const ClipboardKeeper&) = delete;

private:
    Platform& platform_;
    const HostEditor& editor_;
    ClipboardContent saved_;
};

} // namespace

frmFlashSOund::frmFlashSOund(AddinContext& context, QWidget* parent, const PreviewFactory& previews)
    : EditingDialog(context, parent) {
    setWindowTitle(QStringLiteral("Insert Flash Sound Event"));

    FLashSound = new QComboBox(this);
    FLashSound->setObjectName(QStringLiteral("FLashSound"));
    ImgEvent = new QComboBox(this);
    ImgEvent->setObjectName(QStringLiteral("ImgEvent"));
    for (const std::string_view name : kSoundEventNames)
        ImgEvent->addItem(toQString(std::string(name)));
    ImgList = new QComboBox(this);
    ImgList->setObjectName(QStringLiteral("ImgList"));

    auto* pictureFrame = new QFrame(this);
    pictureFrame->setFrameShape(QFrame::StyledPanel);
    ImPreview = new QLabel(pictureFrame);
    ImPreview->setObjectName(QStringLiteral("ImPreview"));
    ImPreview->setAlignment(Qt::AlignCenter);
    ImPreview->setMinimumSize(160, 120);
    auto* pictureLayout = new QVBoxLayout(pictureFrame);
    pictureLayout->addWidget(ImPreview);

    const PreviewSlot slot = previews(QSize(54, 54), this);
    FlashDemo = slot.Widget;
    Demo = slot.Preview;
    FlashDemo->setObjectName(QStringLiteral("FlashDemo"));
    lblDesc = new QLabel(this);
    lblDesc->setObjectName(QStringLiteral("lblDesc"));
    lblDesc->setWordWrap(true);
    Command2 = new QPushButton(QStringLiteral("Play Flash Sound"), this);
    Command2->setAutoDefault(false);
    Command1 = PictureButton(QStyle::SP_DialogApplyButton, "Insert", this);
    Command7 = PictureButton(QStyle::SP_DialogCloseButton, "Close", this);
    btHelp = PictureButton(QStyle::SP_DialogHelpButton, "Mirvane Help", this);

    auto* grid = new QGridLayout();
    const std::pair<const char*, QComboBox*> rows[] = {{"&Sounds Available :", FLashSound},
                                                       {"&Event To Act On :", ImgEvent},
                                                       {"&Image To Use :", ImgList}};
    int row = 0;
    for (const auto& [caption, list] : rows) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setBuddy(list);
        grid->addWidget(label, row, 0);
        grid->addWidget(list, row, 1);
        ++row;
    }
    auto* soundRow = new QHBoxLayout();
    soundRow->addWidget(FlashDemo);
    soundRow->addWidget(lblDesc, 1);
    soundRow->addWidget(Command2);

    auto* bottom = new QHBoxLayout();
    bottom->addWidget(btHelp);
    bottom->addWidget(new QLabel(toQString(std::string(kSoundEventNote)), this), 1);
    bottom->addWidget(Command1);
    bottom->addWidget(Command7);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(soundRow);
    layout->addWidget(pictureFrame, 1);
    layout->addLayout(bottom);

    connect(FLashSound, &QComboBox::activated, this, [this] { FLashSound_Click(); });
    connect(ImgList, &QComboBox::activated, this, [this] { ImgList_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command1, &QToolButton::clicked, this, [this] { Command1_Click(); });
    connect(Command7, &QToolButton::clicked, this, [this] { Command7_Click(); });
    connect(btHelp, &QToolButton::clicked, this, [this] { btHelp_Click(); });

    Form_Load();
}

void frmFlashSOund::Form_Load() {
    Guarded("frmFlashSOund::Form_Load", [&] {
        ImgList->addItem(toQString(std::string(kImagePlaceholder)));
        if (const DocumentPtr document = context_.Editor.ActiveDocument())
            for (const std::string& entry : ImageListEntries(*document))
                ImgList->addItem(toQString(entry));
        FLashSound->addItem(toQString(std::string(kSoundPlaceholder)));
        sounds_ = ReadSoundEntries(context_.InstallFolder);
        for (const SoundEntry& sound : sounds_)
            FLashSound->addItem(toQString(sound.Name));
        FLashSound->setCurrentIndex(0);
        ImgEvent->setCurrentIndex(0);
        ImgList->setCurrentIndex(0);
        lblDesc->clear();
    });
}

void frmFlashSOund::PlayPreview() {
    if (lastPreview_.MoviePath.empty() || !Demo)
        return;
    Demo->GotoFrame(1);
    Demo->Play();
}

void frmFlashSOund::FLashSound_Click() {
    Guarded("frmFlashSOund::FLashSound_Click", [&] {
        lblDesc->clear();
        const int index = FLashSound->currentIndex();
        if (index <= 0 || static_cast<std::size_t>(index) > sounds_.size())
            return;
        const SoundEntry& sound = sounds_[static_cast<std::size_t>(index) - 1];
        lastPreview_ = {};
        lastPreview_.MoviePath =
            (LibraryFolder::Locate(context_.InstallFolder) / sound.File).string();
        PlayDemo(Demo, lastPreview_);
        lblDesc->setText(toQString(sound.Description));
    });
}

void frmFlashSOund::Command2_Click() {
    Guarded("frmFlashSOund::Command2_Click", [&] { PlayPreview(); });
}

void frmFlashSOund::ImgList_Click() {
    Guarded("frmFlashSOund::ImgList_Click", [&] {
        const DocumentPtr document = context_.Editor.ActiveDocument();
        HostApplication* application = context_.Editor.Application();
        if (!document || !application || ImgList->currentIndex() <= 0)
            return;
        // The editor's Copy of the selected image shows what it is; what the user had on the
        // clipboard is put back afterwards, every format of it, whatever happens meanwhile.
        const ClipboardKeeper keeper(context_.platform, context_.Editor);
        const CommandBarPtr edit = application->CommandBars().Item("Edit");
        const ControlsPtr controls = edit ? edit->Controls() : nullptr;
        const ControlPtr copy = controls ? controls->Item(std::string_view("Copy")) : nullptr;
        for (const ElementPtr& image :
             ImagesOfEntry(*document, fromQString(ImgList->currentText()))) {
            const TextRangePtr range = document->createRange();
            if (!range || !range->moveToElementText(image) || !range->select() || !copy ||
                !copy->Execute()) {
                LogWarning("frmFlashSOund::ImgList_Click", "the image could not be copied");
                continue;
            }
            const fs::path file =
                ImageFileOf(context_.platform.clipboardText(), document->locationHref());
            QPixmap picture;
            if (!file.empty() && picture.load(toQString(file.string())))
                ImPreview->setPixmap(picture.scaled(ImPreview->size(), Qt::KeepAspectRatio,
                                                    Qt::SmoothTransformation));
            else
                ImPreview->setText(QStringLiteral("(no preview)"));
        }
    });
}

void frmFlashSOund::Command1_Click() {
    Guarded("frmFlashSOund::Command1_Click", [&] {
        const int image = ImgList->currentIndex();
        const int sound = FLashSound->currentIndex();
        if (image > 0 && sound > 0 && static_cast<std::size_t>(sound) <= sounds_.size())
            InsertSoundEvent(context_.Editor, context_.platform, context_.InstallFolder,
                             sounds_[static_cast<std::size_t>(sound) - 1], image - 1,
                             static_cast<SoundEvent>(std::max(0, ImgEvent->currentIndex())));
        Unload();
    });
}

void frmFlashSOund::Command7_Click() {
    Guarded("frmFlashSOund::Command7_Click", [&] { Unload(); });
}

void frmFlashSOund::btHelp_Click() {
    Guarded("frmFlashSOund::btHelp_Click", [&] { OpenHelp(); });
}

} // namespace tlx
