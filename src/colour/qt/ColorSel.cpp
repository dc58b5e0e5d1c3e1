#include "colour/qt/ColorSel.h"

#include "addinbase/GuardedHandler.h"
#include "colour/DocumentColours.h"
#include "colour/qt/ColourBoxSettings.h"
#include "colour/qt/ColourSwatch.h"
#include "colour/qt/OXColorBox.h"
#include "markup/TextHelpers.h"
#include "platform/Log.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <cctype>

namespace tlx {

namespace {

// A page with three colour drops: colours taken from the document.
QIcon DocumentColoursIcon() {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(64, 64, 64));
    p.setBrush(Qt::white);
    p.drawRect(2, 0, 11, 15);
    p.setPen(Qt::NoPen);
    p.fillRect(4, 3, 3, 3, QColor(255, 0, 0));
    p.fillRect(8, 3, 3, 3, QColor(0, 160, 0));
    p.fillRect(4, 8, 3, 3, QColor(0, 0, 255));
    p.fillRect(8, 8, 3, 3, QColor(255, 192, 0));
    return QIcon(pixmap);
}

// "#" and six hexadecimal digits.
bool IsColourValue(const std::string& text) {
    return text.size() == 7 && text[0] == '#' &&
           std::all_of(text.begin() + 1, text.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

} // namespace

ColorSel::ColorSel(AddinContext& context, QLabel* target, QWidget* parent)
    : QDialog(parent), context_(context), target_(target) {
    setObjectName(QStringLiteral("ColorSel"));
    setWindowTitle(QStringLiteral("Color Selector"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setFixedSize(206, 160);

    ColorBox = new OXColorBox(context.platform, context.InstallFolder, this);
    ColorBox->setObjectName(QStringLiteral("ColorBox"));
    ColorBox->move(2, 0);

    Label20 = new QLabel(QStringLiteral("Value :"), this);
    Label20->setObjectName(QStringLiteral("Label20"));
    Label20->setGeometry(144, 0, 49, 17);

    HTMLColor = new QLineEdit(this);
    HTMLColor->setObjectName(QStringLiteral("HTMLColor"));
    HTMLColor->setToolTip(QStringLiteral("HTML Color Value"));
    HTMLColor->setGeometry(144, 16, 57, 19);
    HTMLColor->installEventFilter(this);

    ColorList = new QListWidget(this);
    ColorList->setObjectName(QStringLiteral("ColorList"));
    ColorList->setGeometry(144, 40, 57, 30);

    btDocColors = new QToolButton(this);
    btDocColors->setObjectName(QStringLiteral("btDocColors"));
    btDocColors->setToolTip(QStringLiteral("Get Colors From Document"));
    btDocColors->setIcon(DocumentColoursIcon());
    btDocColors->setGeometry(144, 80, 57, 25);

    Command1 = new QPushButton(QStringLiteral("Okay"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(144, 104, 57, 25);
    Command1->setDefault(true);

    cbClose = new QPushButton(QStringLiteral("Cancel"), this);
    cbClose->setObjectName(QStringLiteral("cbClose"));
    cbClose->setToolTip(QStringLiteral("Cancel Color Selection"));
    cbClose->setGeometry(144, 128, 57, 25);
    cbClose->setAutoDefault(false);

    setTabOrder(ColorBox, HTMLColor);
    setTabOrder(HTMLColor, ColorList);
    setTabOrder(ColorList, btDocColors);
    setTabOrder(btDocColors, Command1);
    setTabOrder(Command1, cbClose);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(cbClose, &QPushButton::clicked, this, [this] { cbClose_Click(); });
    connect(btDocColors, &QToolButton::clicked, this, [this] { btDocColors_Click(); });
    connect(ColorBox, &OXColorBox::DblClick, this, [this] { ColorBox_DblClick(); });
    connect(ColorBox, &OXColorBox::Change, this, [this](int c) { ColorBox_Change(c); });
    connect(this, &QDialog::finished, this, [this] { Form_Unload(); });

    // The box as it was left last time; the design's font the first time.
    keepsSettings_ = KeepsUserSettings(context.platform);
    Guarded("Color Selector: loading", [&] {
        ColorBox->InitProperties(small);
        if (keepsSettings_)
            LoadColourBoxSettings(*ColorBox);
    });
    ColorBox->setFocus(Qt::OtherFocusReason);
}

ColorSel::~ColorSel() {
    Form_Unload();
}

void ColorSel::execModal() {
    exec();
}

template <typename Body> void ColorSel::Guarded(const char* where, Body&& body) {
    RunGuarded(context_.platform, where, std::forward<Body>(body), "Color Manager");
}

void ColorSel::SetTarget() {
    // Each step on its own: a failing one does not keep the next from running.
    if (!target_) {
        LogWarning("Color Selector", "the colour target is gone; the choice is not kept");
        return;
    }
    Guarded("Color Selector: setting the target",
            [&] { SetSwatchColour(*target_, ColorBox->HTMLColor().toStdString()); });
}

void ColorSel::Command1_Click() {
    SetTarget();
    accept();
}

void ColorSel::ColorBox_DblClick() {
    SetTarget();
    accept();
}

void ColorSel::cbClose_Click() {
    reject();
}

void ColorSel::ColorBox_Change(int) {
    HTMLColor->setText(ColorBox->HTMLColor());
}

void ColorSel::HTMLColor_Enter() {
    bool whole = false;
    Guarded("Color Selector: value", [&] {
        std::string s = HTMLColor->text().toStdString();
        if (s.empty())
            return;
        if (s.size() > 6)
            s = s.substr(s.size() - 6);
        if (!IsAlphanumeric(s))
            return;
        for (char& c : s)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        ColorBox->SetHTMLColor(QString::fromStdString(s));
        HTMLColor->setText(ColorBox->HTMLColor());
        whole = IsColourValue(HTMLColor->text().toStdString()) &&
                ColorBox->HTMLColor().compare(QString::fromStdString("#" + s)) == 0;
    });
    // Enter in a dialog whose default button is Okay chooses: a value that was taken whole.
    // A value the box could not take as written stays for the user to correct.
    if (whole)
        Command1_Click();
}

void ColorSel::OpenAt(const QString& colourText) {
    HTMLColor->setText(colourText);
    if (!IsColourValue(colourText.toStdString()))
        return;
    Guarded("Color Selector: opening", [&] {
        ColorBox->ShowActiveHTML(colourText.toUpper());
        HTMLColor->setText(ColorBox->HTMLColor());
    });
}

void ColorSel::btDocColors_Click() {
    Guarded("Color Selector: colours from the document", [&] {
        ColorList->clear();
        std::vector<std::string> texts;
        if (const DocumentPtr document = context_.Editor.ActiveDocument()) {
            for (const ElementPtr& element : document->all()) {
                if (!element)
                    continue;
                if (auto text = TagColourText(element->outerHTML()))
                    texts.push_back(std::move(*text));
            }
        }
        const std::vector<std::string> list = SortedColourList(std::move(texts));
        for (const std::string& text : list)
            ColorList->addItem(QString::fromStdString(text));
        for (int i = 0; i < static_cast<int>(list.size()) && i <= 23; ++i)
            ColorBox->AddHTMLToCustom(QString::fromStdString(list[i]), i);
        ColorBox->SetPal(QStringLiteral("Custom"));
    });
}

void ColorSel::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    if (!keepsSettings_)
        return;
    try {
        SaveColourBoxSettings(*ColorBox);
    } catch (const std::exception&) {
        // The settings are the user's last choices only; the closing window keeps closing.
        LogCurrentException("Color Selector: keeping the colour box's settings");
    }
}

bool ColorSel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == HTMLColor && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            HTMLColor_Enter();
            return true;
        }
        const QString typed = key->text();
        if (typed.size() == 1 && typed.at(0).isLower()) {
            HTMLColor->insert(typed.toUpper());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tlx
