#include "editing/qt/frmColoriser.h"

#include "addinbase/GuardedHandler.h"
#include "catalog/LibraryFolder.h"
#include "editing/ColourPresets.h"
#include "markup/FlashFix.h"
#include "markup/TextHelpers.h"
#include "platform/FileUtil.h"
#include "platform/Log.h"
#include "platform/qt/QtPlatform.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace tlx {

namespace {

QSlider* WeightingSlider(const char* name, QWidget* parent) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(QLatin1String(name));
    slider->setRange(-100, 100);
    slider->setValue(0);
    slider->setMinimumWidth(200);
    return slider;
}

// The movie reference of an element: the value of its last MOVIE parameter.
std::string MovieReferenceOf(const HostElement& element) {
    std::string movie;
    for (const ElementPtr& child : element.all())
        if (UpperCase(child->name()) == "MOVIE")
            movie = child->value();
    return movie;
}

std::string BackgroundOf(const HostElement& element) {
    std::string colour = element.getAttribute("bgcolor");
    if (colour.empty())
        for (const ElementPtr& child : element.all())
            if (UpperCase(child->name()) == "BGCOLOR")
                colour = child->value();
    return colour;
}

} // namespace

frmColoriser::frmColoriser(AddinContext& context, QWidget* parent, const PreviewFactory& previews)
    : EditingDialog(context, parent) {
    setWindowTitle(QStringLiteral("Color Adjustment (If Supported By Object)"));
    // Wide enough for the whole caption beside the title bar's buttons.
    QFont captionFont = font();
    captionFont.setBold(true);
    setMinimumWidth(QFontMetrics(captionFont).horizontalAdvance(windowTitle()) + 120);

    auto* heading = new QLabel(QStringLiteral(" Color Weightings"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    CWRed = WeightingSlider("CWRed", this);
    CWGreen = WeightingSlider("CWGreen", this);
    CWBlue = WeightingSlider("CWBlue", this);
    CWTxtRed = new QLabel(QStringLiteral("0"), this);
    CWTxtGreen = new QLabel(QStringLiteral("0"), this);
    CWTxtBlue = new QLabel(QStringLiteral("0"), this);
    auto* grid = new QGridLayout();
    const std::pair<const char*, std::pair<QSlider*, QLabel*>> rows[] = {
        {"&Red :", {CWRed, CWTxtRed}},
        {"&Green :", {CWGreen, CWTxtGreen}},
        {"&Blue :", {CWBlue, CWTxtBlue}}};
    int row = 0;
    for (const auto& [caption, controls] : rows) {
        auto* label = new QLabel(QString::fromUtf8(caption), this);
        label->setBuddy(controls.first);
        controls.second->setMinimumWidth(32);
        grid->addWidget(label, row, 0);
        grid->addWidget(controls.first, row, 1);
        grid->addWidget(controls.second, row, 2);
        ++row;
    }

    lstColor = new QComboBox(this);
    lstColor->setObjectName(QStringLiteral("lstColor"));
    lstColor->addItem(QStringLiteral("Please Select From List"));
    ColorPresets << QStringLiteral("Colors");

    const PreviewSlot slot = previews(kHeadingPreviewSize, this);
    DemoFlash = slot.Widget;
    Demo = slot.Preview;
    DemoFlash->setObjectName(QStringLiteral("DemoFlash"));

    Command12 = new QPushButton(QStringLiteral("Reset"), this);
    Command13 = new QPushButton(QStringLiteral("Save As Preset"), this);
    Command1 = new QPushButton(QStringLiteral("?"), this);
    for (QPushButton* button : {Command12, Command13, Command1})
        button->setAutoDefault(false);
    btUpdate = PictureButton(QStyle::SP_DialogApplyButton, "Apply", this);
    Command9 = PictureButton(QStyle::SP_DialogCloseButton, "Close", this);

    auto* presets = new QHBoxLayout();
    presets->addWidget(new QLabel(QStringLiteral("Presets :"), this));
    presets->addWidget(lstColor, 1);
    presets->addWidget(Command13);

    QHBoxLayout* bottom = ButtonRow({Command12, Command1}, {btUpdate, Command9});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(grid);
    layout->addLayout(presets);
    layout->addWidget(DemoFlash, 0, Qt::AlignHCenter);
    layout->addWidget(new QLabel(QStringLiteral("Not All Objects Support Colorization."), this));
    auto* note = new QLabel(QStringLiteral("Color Balances May Vary In Some Movies Based On What "
                                           "The 'Orginal' Colors In The Movie Are."),
                            this);
    note->setWordWrap(true);
    layout->addWidget(note);
    layout->addLayout(bottom);

    connect(CWRed, &QSlider::valueChanged, this, [this] { CWRed_Change(); });
    connect(CWGreen, &QSlider::valueChanged, this, [this] { CWGreen_Change(); });
    connect(CWBlue, &QSlider::valueChanged, this, [this] { CWBlue_Change(); });
    connect(lstColor, &QComboBox::activated, this, [this] { lstColor_Click(); });
    connect(btUpdate, &QToolButton::clicked, this, [this] { btUpdate_Click(); });
    connect(Command9, &QToolButton::clicked, this, [this] { Command9_Click(); });
    connect(Command12, &QPushButton::clicked, this, [this] { Command12_Click(); });
    connect(Command13, &QPushButton::clicked, this, [this] { Command13_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    Form_Load();
}

void frmColoriser::Form_Load() {
    Guarded("frmColoriser::Form_Load", [&] {
        loading_ = true;
        const DocumentPtr document = context_.Editor.ActiveDocument();
        const ElementPtr element = document ? document->activeElement() : nullptr;
        std::string movie;
        if (element) {
            context_.SelectedObjectId = element->id();
            movie = MovieReferenceOf(*element);
        }
        const Weightings weightings = WeightingsOf(movie);
        CWTxtRed->setText(toQString(weightings.Red));
        CWTxtGreen->setText(toQString(weightings.Green));
        CWTxtBlue->setText(toQString(weightings.Blue));

        const std::string path = ColourPresetsPath(context_.InstallFolder);
        if (FileExists(path).isExisting())
            for (const ColourPreset& preset : ReadColourPresets(path)) {
                ColorPresets << toQString(preset.ValueText);
                lstColor->addItem(toQString(preset.Name));
            }
        lstColor->setCurrentIndex(0);
        loading_ = false;
        RefreshDemo();
    });
}

Weightings frmColoriser::Labels() const {
    return {fromQString(CWTxtRed->text()), fromQString(CWTxtGreen->text()),
            fromQString(CWTxtBlue->text())};
}

void frmColoriser::RefreshDemo() {
    if (loading_)
        return;
    Guarded("frmColoriser::RefreshDemo", [&] {
        const DocumentPtr document = context_.Editor.ActiveDocument();
        const ElementPtr element = document ? document->activeElement() : nullptr;
        if (!element)
            return;
        const std::string outer = PlainAmpersands(element->outerHTML());
        const std::string movie = PlainAmpersands(MovieReferenceOf(*element));
        const ColorisationPreview preview =
            ColorisationPreviewOf(element->id(), outer, movie, Labels());
        PreviewRequest request;
        request.MoviePath =
            (LibraryFolder::Locate(context_.InstallFolder) / preview.MovieFile).string();
        request.BackgroundColor = BackgroundOf(*element);
        request.Variables = preview.Variables;
        lastPreview_ = request;
        PlayDemo(Demo, lastPreview_);
    });
}

void frmColoriser::CWRed_Change() {
    CWTxtRed->setText(QString::number(CWRed->value()));
    RefreshDemo();
}

void frmColoriser::CWGreen_Change() {
    CWTxtGreen->setText(QString::number(CWGreen->value()));
    RefreshDemo();
}

void frmColoriser::CWBlue_Change() {
    CWTxtBlue->setText(QString::number(CWBlue->value()));
    RefreshDemo();
}

void frmColoriser::lstColor_Click() {
    Guarded("frmColoriser::lstColor_Click", [&] {
        const int index = lstColor->currentIndex();
        if (index <= 0 || index >= ColorPresets.size())
            return;
        const PresetWeightings w = WeightingsOfPreset(fromQString(ColorPresets.at(index)));
        const std::pair<QLabel*, QSlider*> order[] = {
            {CWTxtBlue, CWBlue}, {CWTxtRed, CWRed}, {CWTxtGreen, CWGreen}};
        const int values[] = {w.Blue, w.Red, w.Green};
        for (int i = 0; i < 3; ++i) {
            order[i].first->setText(QString::number(values[i]));
            order[i].second->setValue(values[i]);
        }
        RefreshDemo();
    });
}

void frmColoriser::Command12_Click() {
    Guarded("frmColoriser::Command12_Click", [&] {
        for (QSlider* slider : {CWRed, CWBlue, CWGreen})
            slider->setValue(0);
        for (QLabel* label : {CWTxtRed, CWTxtGreen, CWTxtBlue})
            label->setText(QStringLiteral("0"));
        RefreshDemo();
    });
}

void frmColoriser::Command13_Click() {
    Guarded("frmColoriser::Command13_Click", [&] {
        const std::optional<std::string> name = context_.platform.inputBox(
            "What Would You Like To Call This Preset Color Setting?", "Title", "");
        if (!name || name->empty())
            return;
        const Weightings labels = Labels();
        const PresetSaveResult result =
            AppendColourPreset(ColourPresetsPath(context_.InstallFolder), *name, labels.Red,
                               labels.Green, labels.Blue);
        if (result == PresetSaveResult::Saved)
            return;
        const std::string why = result == PresetSaveResult::NoPresetsFile
                                    ? "There is no presets file (cpresets.kqz) in the install "
                                      "folder, so the preset was not saved."
                                    : "The preset could not be written to cpresets.kqz.";
        LogWarning("frmColoriser::Command13_Click", why);
        context_.platform.messageBox(why, MsgButtons::OkOnly, MsgIcon::Exclamation, "Mirvane");
    });
}

void frmColoriser::btUpdate_Click() {
    Guarded("frmColoriser::btUpdate_Click", [&] {
        const DocumentPtr document = context_.Editor.ActiveDocument();
        const ElementPtr element = document ? document->activeElement() : nullptr;
        if (element) {
            context_.SelectedObjectId = element->id();
            const std::string movie = MovieReferenceOf(*element);
            const Weightings old = WeightingsOf(movie);
            // Only objects that carry the weighting keys take them; any other element is left
            // exactly as it is.
            if (IsFlashObjectElement(*element) &&
                (!old.Red.empty() || !old.Green.empty() || !old.Blue.empty())) {
                const std::string markup = ApplyWeightings(element->outerHTML(), movie, Labels());
                const TextRangePtr range = document->createRange();
                if (!range || !range->moveToElementText(element) || !range->pasteHTML(markup))
                    LogWarning("frmColoriser::btUpdate_Click",
                               "the editor did not take the object's new weightings");
                else
                    range->select();
            }
        }
        Unload();
    });
}

void frmColoriser::Command9_Click() {
    Guarded("frmColoriser::Command9_Click", [&] { Unload(); });
}

void frmColoriser::Command1_Click() {
    Guarded("frmColoriser::Command1_Click", [&] {
        context_.platform.messageBox("Only 3rd Generation Mirvane Objects Support Custom\r"
                                     "Colorisation.  All Objects Created As From\r"
                                     "November 2002 Will Support This Feature.",
                                     MsgButtons::OkOnly, MsgIcon::Information, "Mirvane");
    });
}

} // namespace tlx
