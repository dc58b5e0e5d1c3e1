#include "editing/qt/FlashProp.h"

#include "addinbase/GuardedHandler.h"
#include "catalog/IntroTextFile.h"
#include "colour/ColourText.h"
#include "colour/qt/ColourSwatch.h"
#include "editing/qt/ReEditDialogs.h"
#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"
#include "platform/Log.h"
#include "platform/qt/QtPlatform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

namespace tlx {

namespace {

// The swatch shows the colour of a text as the markup reader decodes it, and keeps the text.
void ShowSwatch(QLabel& swatch, const std::string& text) {
    SetSwatchColour(swatch, text);
}

} // namespace

FlashProp::FlashProp(AddinContext& context, QWidget* parent,
                     CreationDialogOpener openCreationDialog)
    : EditingDialog(context, parent), openCreationDialog_(std::move(openCreationDialog)) {
    setWindowTitle(QStringLiteral("Selected Flash Object Properties"));

    auto* frame = new QGroupBox(QStringLiteral("Properties"), this);
    auto* grid = new QGridLayout(frame);
    fWidth = new QLineEdit(frame);
    fWidth->setObjectName(QStringLiteral("fWidth"));
    wPerc = new QCheckBox(frame);
    wPerc->setObjectName(QStringLiteral("wPerc"));
    fHeight = new QLineEdit(frame);
    fHeight->setObjectName(QStringLiteral("fHeight"));
    hPerc = new QCheckBox(frame);
    hPerc->setObjectName(QStringLiteral("hPerc"));
    auto* widthLabel = new QLabel(QStringLiteral("&Width"), frame);
    widthLabel->setBuddy(fWidth);
    auto* heightLabel = new QLabel(QStringLiteral("&Height"), frame);
    heightLabel->setBuddy(fHeight);
    grid->addWidget(widthLabel, 0, 0);
    grid->addWidget(fWidth, 0, 1);
    grid->addWidget(wPerc, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("%"), frame), 0, 3);
    grid->addWidget(heightLabel, 1, 0);
    grid->addWidget(fHeight, 1, 1);
    grid->addWidget(hPerc, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("%"), frame), 1, 3);

    grid->addWidget(new QLabel(QStringLiteral("Flash Alignment :"), frame), 2, 0, 1, 4);
    HAlign = new QComboBox(frame);
    HAlign->setObjectName(QStringLiteral("HAlign"));
    HAlign->addItems({QStringLiteral("Center"), QStringLiteral("Left"), QStringLiteral("Right")});
    VAlign = new QComboBox(frame);
    VAlign->setObjectName(QStringLiteral("VAlign"));
    VAlign->addItems({QStringLiteral("Center"), QStringLiteral("Top"), QStringLiteral("Bottom")});
    grid->addWidget(new QLabel(QStringLiteral("Horizontal"), frame), 3, 0);
    grid->addWidget(HAlign, 3, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Vertical"), frame), 4, 0);
    grid->addWidget(VAlign, 4, 1, 1, 3);

    WMode = new QComboBox(frame);
    WMode->setObjectName(QStringLiteral("WMode"));
    WMode->addItems({QStringLiteral("Opaque"), QStringLiteral("Transparent")});
    WMode->setCurrentIndex(-1);
    grid->addWidget(new QLabel(QStringLiteral("Window Mode :"), frame), 5, 0);
    grid->addWidget(WMode, 5, 1, 1, 3);

    fBackColor = new QLabel(frame);
    fBackColor->setObjectName(QStringLiteral("fBackColor"));
    fBackColor->setFixedSize(40, 20);
    fBackColor->setFrameShape(QFrame::Box);
    ShowSwatch(*fBackColor, "#FFFFFF");
    btBackColor = PictureButton(QStyle::SP_DialogResetButton, "Select Color", frame);
    btBackColor->setText(QStringLiteral("..."));
    btBackColor->setToolButtonStyle(Qt::ToolButtonTextOnly);
    grid->addWidget(new QLabel(QStringLiteral("Background Color :"), frame), 6, 0);
    auto* colourRow = new QHBoxLayout();
    colourRow->addWidget(fBackColor);
    colourRow->addWidget(btBackColor);
    colourRow->addStretch(1);
    grid->addLayout(colourRow, 6, 1, 1, 3);

    Command2 = new QPushButton(QStringLiteral("Shrink"), this);
    Command3 = new QPushButton(QStringLiteral("Enlarge"), this);
    Command4 = new QPushButton(QStringLiteral("Delete This Object"), this);
    Command5 = new QPushButton(QStringLiteral("Duplicate This Object"), this);
    for (QPushButton* button : {Command2, Command3, Command4, Command5})
        button->setAutoDefault(false);
    auto* actions = new QGridLayout();
    actions->addWidget(Command2, 0, 0);
    actions->addWidget(Command3, 0, 1);
    actions->addWidget(Command4, 1, 0);
    actions->addWidget(Command5, 1, 1);

    Command1 = PictureButton(QStyle::SP_DialogApplyButton, "Apply Changes", this);
    Command7 = PictureButton(QStyle::SP_DialogCloseButton, "Close", this);
    btOtherProperties =
        PictureButton(QStyle::SP_FileDialogDetailedView, "Mirvane Properties", this);
    btHelp = PictureButton(QStyle::SP_DialogHelpButton, "Mirvane Help", this);
    QHBoxLayout* bottom = ButtonRow({btHelp, btOtherProperties}, {Command1, Command7});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(actions);
    layout->addLayout(bottom);

    connect(fWidth, &QLineEdit::textChanged, this, [this] { fWidth_Change(); });
    connect(fHeight, &QLineEdit::textChanged, this, [this] { fHeight_Change(); });
    connect(btBackColor, &QToolButton::clicked, this, [this] { btBackColor_Click(); });
    connect(btHelp, &QToolButton::clicked, this, [this] { btHelp_Click(); });
    connect(Command1, &QToolButton::clicked, this, [this] { Command1_Click(); });
    connect(Command7, &QToolButton::clicked, this, [this] { Command7_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(btOtherProperties, &QToolButton::clicked, this, [this] { btOtherProperties_Click(); });

    Form_Load();
}

void FlashProp::Form_Load() {
    Guarded("FlashProp::Form_Load", [&] {
        const DocumentPtr document = context_.Editor.ActiveDocument();
        loaded_ = ReadSelectedObject(document ? document->activeElement() : nullptr);
        context_.SelectedObjectId = loaded_.Id;
        const PropertyFields& fields = loaded_.Fields;
        resetting_ = true;
        fWidth->setText(toQString(fields.Width));
        fHeight->setText(toQString(fields.Height));
        resetting_ = false;
        wPerc->setChecked(fields.WidthPercent);
        hPerc->setChecked(fields.HeightPercent);
        HAlign->setCurrentIndex(fields.HAlign);
        VAlign->setCurrentIndex(fields.VAlign);
        WMode->setCurrentIndex(fields.WMode);
        ShowSwatch(*fBackColor, fields.BackColorText);
        btOtherProperties->setEnabled(OtherPropertiesEnabled(loaded_.Id));
        DeletePreviewTextFiles(context_.InstallFolder);
    });
}

PropertyFields FlashProp::Fields() const {
    PropertyFields fields;
    fields.Width = fromQString(fWidth->text());
    fields.WidthPercent = wPerc->isChecked();
    fields.Height = fromQString(fHeight->text());
    fields.HeightPercent = hPerc->isChecked();
    fields.HAlign = HAlign->currentIndex();
    fields.VAlign = VAlign->currentIndex();
    fields.WMode = WMode->currentIndex();
    fields.BackColorText = SwatchColourText(*fBackColor);
    return fields;
}

void FlashProp::KeepNumber(QLineEdit* box, const std::string& loaded) {
    if (resetting_ || IsNumberText(fromQString(box->text())))
        return;
    resetting_ = true;
    box->setText(toQString(loaded));
    resetting_ = false;
}

void FlashProp::fWidth_Change() {
    KeepNumber(fWidth, loaded_.LoadedWidth);
}

void FlashProp::fHeight_Change() {
    KeepNumber(fHeight, loaded_.LoadedHeight);
}

void FlashProp::btBackColor_Click() {
    Guarded("FlashProp::btBackColor_Click",
            [&] { ChooseSwatchColour(context_, *fBackColor, this); });
}

void FlashProp::btHelp_Click() {
    Guarded("FlashProp::btHelp_Click", [&] { OpenHelp(); });
}

void FlashProp::ChangeProperties() {
    const std::string markup = PropertiesMarkup(loaded_.Id, loaded_.MovieRef, Fields());
    tlx::ChangeProperties(context_.Editor, PropertiesTarget(context_.Editor, loaded_.Element),
                          markup);
}

void FlashProp::Command1_Click() {
    Guarded("FlashProp::Command1_Click", [&] {
        ChangeProperties();
        Unload();
    });
}

void FlashProp::Command7_Click() {
    Guarded("FlashProp::Command7_Click", [&] { Unload(); });
}

void FlashProp::Command2_Click() {
    Guarded("FlashProp::Command2_Click", [&] {
        fHeight->setText(toQString(ShrunkSize(fromQString(fHeight->text()))));
        fWidth->setText(toQString(ShrunkSize(fromQString(fWidth->text()))));
    });
}

void FlashProp::Command3_Click() {
    Guarded("FlashProp::Command3_Click", [&] {
        fHeight->setText(toQString(EnlargedSize(fromQString(fHeight->text()))));
        fWidth->setText(toQString(EnlargedSize(fromQString(fWidth->text()))));
    });
}

void FlashProp::Command4_Click() {
    Guarded("FlashProp::Command4_Click", [&] {
        // The object as it stands now (re-edit may already have rewritten it).
        if (const ElementPtr target = PropertiesTarget(context_.Editor, loaded_.Element))
            target->setOuterHTML("");
        else
            LogWarning("FlashProp::Command4_Click", "the object is no longer in the page");
        Unload();
    });
}

void FlashProp::Command5_Click() {
    Guarded("FlashProp::Command5_Click", [&] {
        DuplicateObject(context_.Editor, PropertiesTarget(context_.Editor, loaded_.Element),
                        loaded_.Id, RandomCopySuffix());
        Unload();
    });
}

void FlashProp::btOtherProperties_Click() {
    Guarded("FlashProp::btOtherProperties_Click", [&] {
        setCursor(Qt::WaitCursor);
        ChangeProperties();
        context_.platform.doEvents();
        const ReEditKind kind = ReEditKindOf(context_.SelectedObjectId);
        switch (kind) {
        case ReEditKind::MiscArt:
            context_.platform.messageBox(std::string(kNoFurtherPropertiesMessage),
                                         MsgButtons::OkOnly, MsgIcon::Information, "Mirvane");
            return;
        case ReEditKind::None:
            return;
        case ReEditKind::Button:
        case ReEditKind::Heading:
        case ReEditKind::IntroMovie:
            break;
        }
        unsetCursor();
        if (!openCreationDialog_)
            openCreationDialog_ = ReEditInCreationDialog(context_);
        if (openCreationDialog_(*this, kind))
            Unload();
    });
}

} // namespace tlx
