#include "catalog/qt/FlashMovie.h"

#include "catalog/IntroTextFile.h"
#include "catalog/StyleTypes.h"
#include "markup/TextHelpers.h"
#include "platform/Log.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <chrono>
#include <filesystem>

namespace tlx {

namespace {

std::string ChosenFile(const QComboBox* list, const CatalogList& entries) {
    const std::size_t i = PickedIndex(list, entries);
    return i != 0 ? entries[i].FileName : std::string();
}

bool IsNumber(const QString& text) {
    bool ok = false;
    text.trimmed().toDouble(&ok);
    return ok;
}

} // namespace

FlashMovie::FlashMovie(AddinContext& context, const PreviewFactory& previews, QWidget* parent)
    : CreationDialog(context, previews, kIntroPreviewSize, true, parent) {
    setObjectName(QStringLiteral("FlashMovie"));
    setWindowTitle(QStringLiteral("Insert Flash Intro Movie"));
    const auto combo = [this](const char* name) { return PickList(QLatin1String(name), this); };
    FlashStyle = combo("FlashStyle");
    FlashMusic = combo("FlashMusic");
    HeadStyle = combo("HeadStyle");
    HeadStyle->setAutoFillBackground(true);
    BackStyle = combo("BackStyle");
    Text1 = new QLineEdit(QStringLiteral("Your Text"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Command4 = DialogButton(QStringLiteral(">"), QStringLiteral("Command4"),
                            QStringLiteral("Set Text To Preview"), this);
    AddText = new QPlainTextEdit(QStringLiteral("Your Text"), this);
    AddText->setObjectName(QStringLiteral("AddText"));
    AddText->setFixedHeight(56);
    Command3 = DialogButton(QStringLiteral(">"), QStringLiteral("Command3"),
                            QStringLiteral("Set Text To Preview"), this);
    TSize = new QLineEdit(QStringLiteral("40"), this);
    TSize->setObjectName(QStringLiteral("TSize"));
    TSize->setMaximumWidth(60);
    Label13 =
        new QLabel(QStringLiteral("* Note : Movie will insert at larger than preview size."), this);
    Label13->setObjectName(QStringLiteral("Label13"));
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSizeF(Label13->font().pointSizeF());
    Label13->setFont(arial);
    VFile = new QLineEdit(this);
    VFile->setObjectName(QStringLiteral("VFile"));
    VFile->hide();
    OldVFile = new QLineEdit(this);
    OldVFile->setObjectName(QStringLiteral("OldVFile"));
    OldVFile->hide();

    auto* grid = new QGridLayout(this);
    int row = 0;
    const auto addRow = [&](const char* label, QWidget* field, QWidget* button = nullptr) {
        grid->addWidget(new QLabel(QLatin1String(label), this), row, 0);
        if (button) {
            auto* box = new QHBoxLayout;
            box->addWidget(field, 1);
            box->addWidget(button);
            grid->addLayout(box, row, 1);
        } else {
            grid->addWidget(field, row, 1);
        }
        ++row;
    };
    addRow("Movie :", FlashStyle);
    addRow("Music :", FlashMusic);
    addRow("Heading Style :", HeadStyle);
    addRow("Background :", BackStyle);
    addRow("Heading :", Text1, Command4);
    addRow("Additional Text :", AddText, Command3);
    addRow("Size :", TSize);
    row = AddLinkRows(grid, row);
    row = AddColourRows(grid, row, true);
    grid->addWidget(FlashDemoWidget, 0, 2, 8, 1, Qt::AlignTop);
    grid->addWidget(lblDesc, 8, 2, 3, 1, Qt::AlignTop);
    grid->addWidget(Label13, row++, 0, 1, 3);
    AddButtonRow(grid, row, 3);

    AddText->installEventFilter(this);
    Form_Load();

    connect(FlashStyle, &QComboBox::currentIndexChanged, this,
            [this] { Guarded("FlashStyle_Click", [&] { FlashStyle_Click(); }); });
    connect(FlashMusic, &QComboBox::currentIndexChanged, this,
            [this] { Guarded("FlashMusic_Click", [&] { FlashMusic_Click(); }); });
    connect(HeadStyle, &QComboBox::currentIndexChanged, this,
            [this] { Guarded("HeadStyle_Click", [&] { HeadStyle_Click(); }); });
    connect(BackStyle, &QComboBox::currentIndexChanged, this,
            [this] { Guarded("BackStyle_Click", [&] { BackStyle_Click(); }); });
    connect(TSize, &QLineEdit::textChanged, this,
            [this] { Guarded("TSize_Change", [&] { TSize_Change(); }); });
    connect(Text1, &QLineEdit::returnPressed, this,
            [this] { Guarded("Text1_KeyPress", [&] { SetTextToPreview(); }); });
    connect(Text1, &QLineEdit::editingFinished, this, [this] {
        if (!Text1->hasFocus())
            Guarded("Text1_LostFocus", [&] { SetTextToPreview(); });
    });
    connect(Command4, &QPushButton::clicked, this,
            [this] { Guarded("Command4_Click", [&] { SetTextToPreview(); }); });
    connect(Command3, &QPushButton::clicked, this,
            [this] { Guarded("Command3_Click", [&] { SetTextToPreview(); }); });
    connect(VFile, &QLineEdit::textChanged, this,
            [this] { Guarded("VFile_Change", [&] { VFile_Change(); }); });
}

std::string FlashMovie::TextFilePath() const {
    return (library_.folder() / textFileName_).string();
}

void FlashMovie::Form_Load() {
    textFileName_ = IntroTextFileName(LocalMomentOf(std::chrono::system_clock::now()));
    std::error_code ignored;
    std::filesystem::remove(TextFilePath(), ignored);
    if (!WriteIntroTextFile(TextFilePath(), kInitialIntroText, kInitialIntroText))
        LogWarning("FlashMovie", "the intro text file " + TextFilePath() +
                                     " could not be written; the preview shows the movie's own "
                                     "texts");

    const std::filesystem::path install(context_.InstallFolder);
    ReadCatalog(install / kMoviesCatalog, kTypeFileAndName, library_, styles_);
    ReadCatalog(install / kMusicCatalog, kFileAndName, library_, music_);
    ReadCatalog(install / kTextEffectsCatalog, kFileAndName, library_, effects_);
    ReadCatalog(install / kBackgroundsCatalog, kFileAndName, library_, backgrounds_);
    FillPickList(FlashStyle, styles_);
    FillPickList(FlashMusic, music_);
    FillPickList(HeadStyle, effects_);
    FillPickList(BackStyle, backgrounds_);

    SelectIndex(BackStyle, 0, [this] { BackStyle_Click(); });
    SelectIndex(HeadStyle, 0, [this] { HeadStyle_Click(); });
    SelectIndex(FlashMusic, 0, [this] { FlashMusic_Click(); });
    SelectIndex(FlashStyle, 0, [this] { FlashStyle_Click(); });
    RestartPreview();
    context_.StatusFlag = std::string(kStatusLoadedMovie);
}

void FlashMovie::RestartPreview() {
    FlashDemo->StopPlay();
    FlashDemo->GotoFrame(1);
    FlashDemo->Play();
}

std::size_t FlashMovie::StyleIndex() const {
    return PickedIndex(FlashStyle, styles_);
}

void FlashMovie::SetHeadStyleFill(std::uint32_t fill) {
    headStyleFill_ = fill;
    QPalette palette = HeadStyle->palette();
    const QColor colour(static_cast<int>(fill & 0xFF), static_cast<int>((fill >> 8) & 0xFF),
                        static_cast<int>((fill >> 16) & 0xFF));
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Button, colour);
    HeadStyle->setPalette(palette);
}

void FlashMovie::FlashStyle_Click() {
    SetHeadStyleFill(kEffectListPlain);
    const std::size_t i = StyleIndex();
    const CatalogEntry& entry = styles_[i];
    if (i != 0) {
        ShowLibraryMovie(entry.FileName);
        FlashDemo->SetVariable("TF", textFileName_);
        if (PickedIndex(FlashMusic, music_) != 0)
            FlashDemo->SetVariable("TM", ChosenFile(FlashMusic, music_));
        FlashDemo->SetVariable("TE", ChosenFile(HeadStyle, effects_));
        FlashDemo->SetVariable("BM", ChosenFile(BackStyle, backgrounds_));
        FlashDemo->SetVariable("TS", TSize->text().toStdString());
        RestartPreview();
    }
    const IntroMovieStyle style = IntroMovieStyleOf(entry.TypeTag);
    SetColorControlsVisible(ApplyStyle(style.ColorControlsVisible, !fTextColor->isHidden()));
    const bool additional = ApplyStyle(style.AdditionalTextEnabled, AddText->isEnabled());
    AddText->setEnabled(additional);
    Command3->setEnabled(additional);
    const bool effect = ApplyStyle(style.EffectAndSizeEnabled, HeadStyle->isEnabled());
    HeadStyle->setEnabled(effect);
    TSize->setEnabled(effect);
    if (style.EffectListHighlighted)
        SetHeadStyleFill(kEffectListHighlight);
    lblDesc->setText(QString::fromStdString(entry.Description()));
}

void FlashMovie::ShowChoice(const char* variable, const QComboBox* list,
                            const CatalogList& entries) {
    if (StyleIndex() == 0)
        return;
    FlashDemo->SetVariable(variable, ChosenFile(list, entries));
    RestartPreview();
}

void FlashMovie::FlashMusic_Click() {
    ShowChoice("TM", FlashMusic, music_);
}

void FlashMovie::HeadStyle_Click() {
    ShowChoice("TE", HeadStyle, effects_);
}

void FlashMovie::BackStyle_Click() {
    ShowChoice("BM", BackStyle, backgrounds_);
}

void FlashMovie::TSize_Change() {
    if (!IsNumber(TSize->text())) {
        TSize->setText(QStringLiteral("12")); // runs this handler again
        return;
    }
    if (StyleIndex() == 0)
        return;
    const bool positive = TSize->text().trimmed().toDouble() > 0;
    FlashDemo->SetVariable("TS", positive ? TSize->text().toStdString() : std::string("12"));
    RestartPreview();
}

void FlashMovie::SetTextToPreview() {
    std::error_code ignored;
    std::filesystem::remove(TextFilePath(), ignored);
    if (!WriteIntroTextFile(TextFilePath(), Text1->text().toStdString(),
                            AddText->toPlainText().toStdString()))
        LogWarning("SetTextToPreview", "could not write " + TextFilePath());
    FlashDemo->SetVariable("TF", textFileName_);
    RestartPreview();
}

void FlashMovie::VFile_Change() {
    textFileName_ = VFile->text().toStdString();
}

bool FlashMovie::eventFilter(QObject* watched, QEvent* event) {
    if (watched == AddText && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            Guarded("AddText_KeyPress", [&] { SetTextToPreview(); });
    }
    return CreationDialog::eventFilter(watched, event); // the box still takes the key
}

void FlashMovie::PresetStyle(const std::string& movieFile) {
    SelectFileName(FlashStyle, styles_, movieFile, [this] { FlashStyle_Click(); });
}

void FlashMovie::PresetMusic(const std::string& file) {
    SelectFileName(FlashMusic, music_, file, [this] { FlashMusic_Click(); });
}

void FlashMovie::PresetEffect(const std::string& file) {
    SelectFileName(HeadStyle, effects_, file, [this] { HeadStyle_Click(); });
}

void FlashMovie::PresetBackground(const std::string& file) {
    SelectFileName(BackStyle, backgrounds_, file, [this] { BackStyle_Click(); });
}

namespace {

// Whether an object of the page other than the one being replaced (the active element) still
// names the text file: a duplicated intro shares its text file with the original.
bool TextFileUsedElsewhere(const HostEditor& editor, const std::string& name) {
    const DocumentPtr document = editor.ActiveDocument();
    const ElementPtr body = document ? document->body() : nullptr;
    if (!body)
        return true; // unknown: keep the file
    const ElementPtr self = document->activeElement();
    return TextFileUses(body->innerHTML(), name) >
           (self ? TextFileUses(self->outerHTML(), name) : 0);
}

} // namespace

void FlashMovie::BeforeUpdate() {
    const std::string old = OldVFile->text().toStdString();
    if (old.empty())
        return;
    if (TextFileUsedElsewhere(context_.Editor, old)) {
        LogInfo("FlashMovie",
                "the old text file " + old + " stays: another object of the page uses it");
        return;
    }
    // The page on disk still names the old file until it is saved without it: the file goes
    // then (see DeleteReplacedTextFiles), unless another page names it too.
    const PageWindowPtr window = context_.Editor.ActivePageWindow();
    const DocumentPtr document = window ? window->Document() : nullptr;
    const FilePtr page = window ? window->File() : nullptr;
    const FolderPtr folder = GetPageFolder(context_.Editor);
    if (!document || !page || !folder) {
        LogWarning("FlashMovie", "the old text file " + old + " stays: the page has no folder");
        return;
    }
    context_.TextFilesToDelete.push_back({document->locationHref(),
                                          folder->LocalPath() + "/" + page->Name(),
                                          folder->LocalPath(), old});
}

std::optional<PreparedObject> FlashMovie::Prepare() {
    const std::size_t i = StyleIndex();
    if (i == 0)
        return std::nullopt;
    IntroMovieParameters values;
    values.TF = textFileName_;
    values.TextColor = TextColourText();
    values.TM = ChosenFile(FlashMusic, music_);
    values.TE = ChosenFile(HeadStyle, effects_);
    values.BM = ChosenFile(BackStyle, backgrounds_);
    values.TS = TSize->text().toStdString();
    values.TU = Text3->text().toStdString();
    values.TW = Text4->text().toStdString();
    return PrepareIntroMovie(library_, styles_[i], values, BackColourText());
}

} // namespace tlx
