#include "colour/qt/OXColorBox.h"

#include "colour/ColourText.h"
#include "colour/qt/OrlixTimer.h"
#include "platform/Log.h"
#include "platform/Platform.h"
#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <exception>

namespace tlx {

namespace {

// The surface's place in the box and its background.
constexpr int SurfaceX = -1;
constexpr int SurfaceY = 18;
const QColor SurfaceBackground(192, 192, 192);

QColor ToQColor(std::int32_t colour) {
    return colourToQColor(colour);
}

void FillCell(QPainter& painter, const PaletteEntry& entry, const QColor& outline) {
    const PaletteRect& r = entry.CellRect;
    const int w = r.Right - r.Left + 1;
    const int h = r.Bottom - r.Top + 1;
    // Outline on the rectangle's edge, both corners included; the colour inside.
    painter.fillRect(r.Left, r.Top, w, 1, outline);
    painter.fillRect(r.Left, r.Bottom, w, 1, outline);
    painter.fillRect(r.Left, r.Top, 1, h, outline);
    painter.fillRect(r.Right, r.Top, 1, h, outline);
    painter.fillRect(r.Left + 1, r.Top + 1, w - 2, h - 2, ToQColor(entry.Color));
}

// Left and top edge in `a` (from the bottom left corner up and along the top), right and
// bottom edge in `b` (down and back along the bottom past the left corner).
void DrawCellFrame(QPainter& painter, const PaletteEntry& entry, const QColor& a, const QColor& b) {
    if (!entry.IsValid)
        return;
    const PaletteRect& r = entry.CellRect;
    painter.fillRect(r.Left, r.Top + 1, 1, r.Bottom - r.Top, a);
    painter.fillRect(r.Left, r.Top, r.Right - r.Left, 1, a);
    painter.fillRect(r.Right, r.Top, 1, r.Bottom - r.Top, b);
    painter.fillRect(r.Left, r.Bottom, r.Right - r.Left + 1, 1, b);
}

void ShowFailure(Platform& platform, const char* where) {
    const std::string text = LogCurrentException(where);
    try {
        platform.messageBox("Unexpected failure: " + text, MsgButtons::OkOnly, MsgIcon::Critical,
                            "Color Manager");
    } catch (const std::exception&) {
        // A desktop that cannot show the message: the log has both.
        LogCurrentException(where);
    }
}

} // namespace

// ---- the listener: from the model to the window and its container

class OXColorBox::Listener : public ColourBoxListener {
public:
    explicit Listener(OXColorBox& box) : box_(box) {}
    void PropertyChanged(std::string_view name) override {
        emit box_.PropertyChanged(QString::fromUtf8(name.data(), qsizetype(name.size())));
    }
    void Click() override { emit box_.Click(); }
    void Change(std::int32_t colour) override { emit box_.Change(colour); }
    void DblClick() override { emit box_.DblClick(); }
    void Popup() override { emit box_.Popup(); }
    void FaceChanged() override { box_.PaintMain(); }
    void SurfaceChanged() override { box_.picPopup->update(); }
    void DropPalChanged(int index) override {
        if (box_.DropPal->currentIndex() != index)
            box_.DropPal->setCurrentIndex(index);
    }

private:
    OXColorBox& box_;
};

// ---- the surface

OXColorBoxSurface::OXColorBoxSurface(OXColorBox& box) : QWidget(&box), box_(box) {
    setObjectName(QStringLiteral("picPopup"));
    setGeometry(SurfaceX, SurfaceY, ColourBoxModel::SurfaceWidth, ColourBoxModel::SurfaceHeight);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void OXColorBoxSurface::paintEvent(QPaintEvent*) {
    try {
        const ColourBoxModel& model = box_.model_;
        const ColourPalettes& p = model.Palettes;
        QPainter painter(this);
        painter.fillRect(rect(), SurfaceBackground);
        const QColor face = box_.ButtonFace();
        for (const auto* grid : {&p.MainPalette, &p.ShadePalette})
            for (const PaletteEntry& entry : *grid)
                if (entry.IsValid)
                    FillCell(painter, entry, face);
        // The etched line between the grids, left side only: shadow, then highlight.
        const int bottom = height() - 38;
        painter.fillRect(57, 8, 1, bottom - 8, box_.ButtonShadow());
        painter.fillRect(58, 8, 1, bottom - 8, box_.Highlight3D());
        switch (model.HoverFrame) {
        case CellFrame::Raised:
            DrawCellFrame(painter, model.HoverEntry, box_.Highlight3D(), box_.ButtonShadow());
            break;
        case CellFrame::Pressed:
            DrawCellFrame(painter, model.HoverEntry, box_.ButtonShadow(), box_.Highlight3D());
            break;
        case CellFrame::None:
            break;
        }
    } catch (const std::exception&) {
        // No message may open from a paint event (it would paint again): the log has it, and
        // the palette shows what was drawn.
        LogCurrentException("Colour box: painting the palette");
    }
}

void OXColorBoxSurface::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    inDoubleClick_ = false;
    const QPoint at = event->position().toPoint();
    box_.Guarded("Colour box: pressing on the palette",
                 [&] { box_.model_.MouseDown(at.x(), at.y()); });
}

void OXColorBoxSurface::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool left = event->buttons().testFlag(Qt::LeftButton);
    box_.Guarded("Colour box: moving over the palette",
                 [&] { box_.model_.MouseMove(at.x(), at.y(), left); });
}

void OXColorBoxSurface::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    const bool inside = rect().contains(at);
    const bool click = inside && !inDoubleClick_;
    inDoubleClick_ = false;
    box_.Guarded("Colour box: releasing on the palette", [&] {
        box_.model_.MouseUp(at.x(), at.y());
        if (click)
            box_.model_.SurfaceClick();
    });
}

void OXColorBoxSurface::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    inDoubleClick_ = true;
    box_.Guarded("Colour box: double click on the palette", [&] { box_.model_.SurfaceDblClick(); });
}

void OXColorBoxSurface::leaveEvent(QEvent*) {
    box_.model_.MouseLeave();
}

// ---- the box

namespace {

ColourBoxDefaults SystemDefaults(const QWidget& widget) {
    ColourBoxDefaults d;
    d.WindowBackground = qColorToColour(widget.palette().color(QPalette::Base));
    d.ButtonText = qColorToColour(widget.palette().color(QPalette::ButtonText));
    d.Font = widget.font().toString().toStdString();
    return d;
}

} // namespace

OXColorBox::OXColorBox(Platform& platform, std::string installFolder, QWidget* parent)
    : QWidget(parent), platform_(platform),
      model_(platform, std::move(installFolder), SystemDefaults(*this)),
      listener_(std::make_unique<Listener>(*this)) {
    setObjectName(QStringLiteral("OXColorBox"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(ControlWidth, ControlHeight);

    picPopup = new OXColorBoxSurface(*this);
    setFocusProxy(picPopup);
    setFocusPolicy(Qt::StrongFocus);

    DropPal = new QComboBox(picPopup);
    DropPal->setObjectName(QStringLiteral("DropPal"));
    for (const std::string_view item : DropPalItems)
        DropPal->addItem(QString::fromUtf8(item.data(), qsizetype(item.size())));
    DropPal->setGeometry(7, 111, 102, 21);
    connect(DropPal, &QComboBox::activated, this, [this](int index) {
        Guarded("Colour box: palette list", [&] { model_.DropPal_Click(index); });
    });

    MorePal = new QPushButton(QStringLiteral(">>"), picPopup);
    MorePal->setObjectName(QStringLiteral("MorePal"));
    MorePal->setToolTip(QStringLiteral("More Colors..."));
    MorePal->setGeometry(111, 112, 21, 19);
    MorePal->setAutoDefault(false);
    connect(MorePal, &QPushButton::clicked, this,
            [this] { Guarded("Colour box: more colours", [&] { model_.MorePal_Click(); }); });

    tmrHover = new OrlixTimer(this);
    tmrHover->SetInterval(ColourBoxModel::HoverInterval);
    tmrHover->SetEnabled(false);
    tmrHover->SetName(QStringLiteral("Hover Timer"));
    connect(tmrHover, &OrlixTimer::OnTimer, this,
            [this] { Guarded("Colour box: hover timer", [&] { model_.HoverTick(); }); });

    model_.SetListener(listener_.get());
    DropPal->setCurrentIndex(model_.DropPalIndex());

    focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget*, QWidget* now) { FocusMoved(now); });
}

OXColorBox::~OXColorBox() {
    // Nothing of the box may run while its parts are taken down.
    disconnect(focusConnection_);
    tmrHover->SetEnabled(false);
    model_.SetListener(nullptr);
}

template <typename Body> void OXColorBox::Guarded(const char* where, Body&& body) {
    try {
        body();
    } catch (...) {
        ShowFailure(platform_, where);
    }
}

void OXColorBox::FocusMoved(QWidget* now) {
    const bool inside = now && (now == this || isAncestorOf(now));
    // The box's own focus (not one of its parts) keeps the timer off, as its lost focus does.
    const bool part = inside && now != this;
    if (inside != focusInside_)
        Refresh();
    focusInside_ = inside;
    tmrHover->SetEnabled(part);
}

QString OXColorBox::ActiveText() const {
    return QString::fromStdString(model_.ActiveText());
}

void OXColorBox::SetSelectedColor(int colour) {
    model_.SetSelectedColor(colour);
}

QString OXColorBox::Text() const {
    return QString::fromStdString(model_.Text());
}

QString OXColorBox::HTMLColor() const {
    return QString::fromStdString(model_.HTMLColor());
}

void OXColorBox::SetHTMLColor(const QString& text) {
    model_.SetHTMLColor(text.toStdString());
}

void OXColorBox::ShowActiveHTML(const QString& text) {
    model_.ShowActiveHTML(text.toStdString());
}

QString OXColorBox::PalType() const {
    return QString::fromStdString(model_.PalType());
}

void OXColorBox::SetPalType(const QString& name) {
    model_.SetPalType(name.toStdString());
}

void OXColorBox::SetPalette(int mode) {
    model_.SetPalette(mode);
}

void OXColorBox::SetPopupEnabled(bool enabled) {
    model_.SetPopupEnabled(enabled);
}

void OXColorBox::SetBackColor(int colour) {
    model_.SetBackColor(colour);
}

void OXColorBox::SetForeColor(int colour) {
    model_.SetForeColor(colour);
}

void OXColorBox::SetEnabled(bool enabled) {
    setEnabled(enabled);
    model_.SetEnabled(enabled);
}

void OXColorBox::SetFont(const QFont& value) {
    setFont(value);
    model_.SetFont(value.toString().toStdString());
    LockSize();
    Refresh();
}

void OXColorBox::AddHTMLToCustom(const QString& HexVal, int APos) {
    model_.AddHTMLToCustom(HexVal.toStdString(), APos);
}

std::optional<std::vector<int>> OXColorBox::SetPal(const QString& PalName) {
    return model_.SetPal(PalName.toStdString());
}

int OXColorBox::SaveCustPal() {
    return model_.SaveCustPal();
}

int OXColorBox::LoadCustPal() {
    return model_.LoadCustPal();
}

int OXColorBox::WhatRGB(const QString& ValHex) const {
    return tlx::WhatRGB(ValHex.toStdString());
}

void OXColorBox::PaintMain() {
    update(0, 0, width(), SurfaceY);
    update();
}

void OXColorBox::Refresh() {
    picPopup->update();
    update();
}

void OXColorBox::LockSize() {
    if (inLockSize_)
        return;
    inLockSize_ = true;
    try {
        resize(ControlWidth, ControlHeight);
    } catch (const std::exception&) {
        LogCurrentException("Colour box: keeping its size");
    }
    inLockSize_ = false;
}

void OXColorBox::ApplyControlProperties() {
    QFont loaded;
    if (!model_.Font().empty() && loaded.fromString(QString::fromStdString(model_.Font())))
        setFont(loaded);
    setEnabled(model_.Enabled());
    DropPal->setCurrentIndex(model_.DropPalIndex());
    LockSize();
    Refresh();
}

void OXColorBox::InitProperties(const QFont& containerFont) {
    model_.InitProperties(containerFont.toString().toStdString());
    ApplyControlProperties();
}

void OXColorBox::ReadProperties(PropertyBag& bag) {
    model_.ReadProperties(bag);
    ApplyControlProperties();
}

void OXColorBox::WriteProperties(PropertyBag& bag) const {
    model_.WriteProperties(bag);
}

QColor OXColorBox::ButtonFace() const {
    return palette().color(QPalette::Button);
}

QColor OXColorBox::ButtonShadow() const {
    return palette().color(QPalette::Dark);
}

QColor OXColorBox::Highlight3D() const {
    return palette().color(QPalette::Light);
}

QColor OXColorBox::DarkShadow3D() const {
    return palette().color(QPalette::Shadow);
}

QColor OXColorBox::Light3D() const {
    return palette().color(QPalette::Midlight);
}

void OXColorBox::paintEvent(QPaintEvent*) {
    try {
        QPainter painter(this);
        const int w = width();
        const int h = height();
        painter.fillRect(rect(), ToQColor(model_.BackColor()));
        // Sunken edge: outer shadow over highlight, inner dark shadow over light.
        painter.fillRect(0, 0, w, 1, ButtonShadow());
        painter.fillRect(0, 0, 1, h, ButtonShadow());
        painter.fillRect(0, h - 1, w, 1, Highlight3D());
        painter.fillRect(w - 1, 0, 1, h, Highlight3D());
        painter.fillRect(1, 1, w - 2, 1, DarkShadow3D());
        painter.fillRect(1, 1, 1, h - 2, DarkShadow3D());
        painter.fillRect(1, h - 2, w - 2, 1, Light3D());
        painter.fillRect(w - 2, 1, 1, h - 2, Light3D());
        // The bar with the active colour, (3, 3) to (width - 3, 16).
        painter.fillRect(QRect(QPoint(3, 3), QPoint(w - 3, 16)), ToQColor(model_.ActiveColor()));
    } catch (const std::exception&) {
        // As for the palette: no message from a paint event.
        LogCurrentException("Colour box: painting the face");
    }
}

void OXColorBox::mousePressEvent(QMouseEvent* event) {
    facePressed_ = event->button() == Qt::LeftButton;
}

void OXColorBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = facePressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    facePressed_ = false;
    if (click)
        Guarded("Colour box: click on the face", [&] { model_.FaceClick(); });
}

void OXColorBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        Guarded("Colour box: double click on the face", [&] { model_.FaceDblClick(); });
}

void OXColorBox::keyPressEvent(QKeyEvent* event) {
    bool handled = true;
    Guarded("Colour box: key", [&] {
        switch (event->key()) {
        case Qt::Key_Left:
            model_.MoveKeyCursor(-1, 0);
            break;
        case Qt::Key_Right:
            model_.MoveKeyCursor(1, 0);
            break;
        case Qt::Key_Up:
            model_.MoveKeyCursor(0, -1);
            break;
        case Qt::Key_Down:
            model_.MoveKeyCursor(0, 1);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // The colour under the key cursor is chosen; the container may take Enter as
            // its own too (a dialog's default button).
            model_.ChooseKeyCursor();
            handled = false;
            break;
        case Qt::Key_Space:
            model_.FaceKey(true, event->modifiers().testFlag(Qt::ShiftModifier));
            break;
        default:
            handled = false;
            break;
        }
    });
    if (handled)
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void OXColorBox::resizeEvent(QResizeEvent*) {
    if (width() != ControlWidth || height() != ControlHeight)
        LockSize();
}

} // namespace tlx

// Compiled here rather than with the other windows: the host interface uses names that Qt
// defines as macros.
#include "moc_OXColorBox.cpp"
