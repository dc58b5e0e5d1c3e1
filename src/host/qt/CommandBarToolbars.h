#pragma once
// The command bars of the model shown as toolbars of the main window. Every bar that is not a
// menu appears as a QToolBar while it is visible: a popup control is a tool button with a
// menu, a button control an action with its caption and icon; clicking runs the control's
// Execute(), so that the add-in's Click handler runs. Bars, controls and their properties
// changed in the model show at once.
//
// Where a toolbar stands follows the bar's Position (0 left, 1 top, 2 right, 3 bottom,
// 4 floating), Left and Top (screen pixels; they place a floating toolbar) and RowIndex (the
// row of toolbars in its dock area, 0 nearest the window's edge of the area) both ways:
// setting them moves the toolbar, and where the user docks or floats it is written back.

#include "host/CommandBars.h"
#include "hostapi/Signal.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <map>
#include <memory>

class QIcon;
class QMainWindow;
class QMenu;
class QStyle;
class QToolBar;

namespace tlx::host {

class CommandBarToolbars : public QObject {
    Q_OBJECT

public:
    CommandBarToolbars(CommandBars& bars, QMainWindow* window);
    ~CommandBarToolbars() override;

    // The toolbar of a bar; nullptr for a menu or a bar without one.
    QToolBar* toolbarFor(const std::shared_ptr<CommandBar>& bar) const;

    // Writes where each toolbar stands into its bar (done by itself after the user moved one).
    void readPositions();

    // The standard icon that stands for a button face.
    static QIcon iconForFaceId(int faceId, const QStyle* style);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        std::weak_ptr<CommandBar> bar;
        QPointer<QToolBar> toolbar;
        QPointer<QObject> contents; // what the last rebuild made
        bool floating = false;      // floated through the bar's Position
    };

    void onChange(const CommandBarsChange& change);
    static bool wantsToolbar(const CommandBar& bar);
    void addBar(const std::shared_ptr<CommandBar>& bar);
    void removeBar(const CommandBar* bar);
    void rebuild(Entry& entry);
    void fillMenu(QMenu* menu, const Controls& controls);
    void place(Entry& entry);
    void scheduleRead();
    int rowOf(QToolBar* toolbar) const;

    CommandBars& bars_;
    QMainWindow* window_;
    std::map<const CommandBar*, Entry> entries_;
    Subscription subscription_;
    QTimer readTimer_;
    int applying_ = 0;
    bool reading_ = false;
};

} // namespace tlx::host
