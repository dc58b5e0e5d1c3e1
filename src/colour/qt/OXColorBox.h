#pragma once
// The colour box: a face with the active colour in a bar, and below it the palette surface
// `picPopup` with the main grid, the shade grid, the palette combo box `DropPal` and the ">>"
// button `MorePal`. Its behaviour lives in ColourBoxModel; this window paints it, feeds it
// the pointer, the keyboard, the focus and the hover timer, and raises its events as signals.

#include "colour/ColourBoxModel.h"

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

class QComboBox;
class QPushButton;
class QSettings;

namespace tlx {

class OrlixTimer;
class OXColorBox;

// The palette surface: paints the cells and takes the pointer.
class OXColorBoxSurface : public QWidget {
public:
    explicit OXColorBoxSurface(OXColorBox& box);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    OXColorBox& box_;
    // The second press of a double click is not a click of its own.
    bool inDoubleClick_ = false;
};

class OXColorBox : public QWidget {
    Q_OBJECT

public:
    // 2085 x 2355 twips.
    static constexpr int ControlWidth = 139;
    static constexpr int ControlHeight = 157;

    // `platform` answers the colour and file dialogs; they start in `installFolder`.
    OXColorBox(Platform& platform, std::string installFolder, QWidget* parent = nullptr);
    ~OXColorBox() override;

    // ---- parts
    OXColorBoxSurface* picPopup = nullptr;
    QComboBox* DropPal = nullptr;
    QPushButton* MorePal = nullptr;
    OrlixTimer* tmrHover = nullptr;

    // ---- properties
    int ActiveColor() const { return model_.ActiveColor(); }
    QString ActiveText() const;
    int SelectedColor() const { return model_.SelectedColor(); }
    void SetSelectedColor(int colour);
    QString Text() const;
    QString HTMLColor() const;
    void SetHTMLColor(const QString& text);
    // The colour of `text` becomes the active colour only (see ColourBoxModel::ShowActiveHTML).
    void ShowActiveHTML(const QString& text);
    QString PalType() const;
    void SetPalType(const QString& name);
    int Palette() const { return model_.Palette(); }
    void SetPalette(int mode);
    bool PopupEnabled() const { return model_.PopupEnabled(); }
    void SetPopupEnabled(bool enabled);
    int BackColor() const { return model_.BackColor(); }
    void SetBackColor(int colour);
    int ForeColor() const { return model_.ForeColor(); }
    void SetForeColor(int colour);
    bool Enabled() const { return model_.Enabled(); }
    void SetEnabled(bool enabled);
    QFont Font() const { return font(); }
    // A font that cannot be used is ignored.
    void SetFont(const QFont& font);
    // The native window's handle, 0 while the box has none of its own.
    qint64 hwnd() const { return static_cast<qint64>(internalWinId()); }

    // ---- methods
    void AddHTMLToCustom(const QString& HexVal, int APos);
    std::optional<std::vector<int>> SetPal(const QString& PalName);
    int SaveCustPal();
    int LoadCustPal();
    int WhatRGB(const QString& ValHex) const;
    // Repaints the face.
    void PaintMain();
    // Repaints everything: surface, shade cells, face.
    void Refresh();
    // Snaps the box back to its one size.
    void LockSize();

    // ---- persistence
    void InitProperties(const QFont& containerFont);
    void ReadProperties(PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    ColourBoxModel& Model() { return model_; }
    const ColourBoxModel& Model() const { return model_; }

    // The platform's colours the box paints with.
    QColor ButtonFace() const;
    QColor ButtonShadow() const;
    QColor Highlight3D() const;
    QColor DarkShadow3D() const;
    QColor Light3D() const;

signals:
    void Click();
    void Change(int NewActiveColor);
    void DblClick();
    void Popup();
    // The container's property-changed notification.
    void PropertyChanged(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class OXColorBoxSurface;
    class Listener;

    // Runs an input handler; an unexpected failure is logged and shown, never passed on.
    template <typename Body> void Guarded(const char* where, Body&& body);
    void FocusMoved(QWidget* now);
    void ApplyControlProperties();

    Platform& platform_;
    ColourBoxModel model_;
    std::unique_ptr<Listener> listener_;
    bool inLockSize_ = false;
    bool focusInside_ = false;
    bool facePressed_ = false;
    QMetaObject::Connection focusConnection_;
};

} // namespace tlx
