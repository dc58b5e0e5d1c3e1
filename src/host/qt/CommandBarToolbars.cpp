#include "host/qt/CommandBarToolbars.h"

#include "platform/Log.h"
#include "platform/qt/QtPlatform.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QMainWindow>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <array>
#include <exception>
#include <set>

namespace tlx::host {

namespace {

Qt::ToolBarArea areaOf(int position) {
    switch (position) {
    case 0:
        return Qt::LeftToolBarArea;
    case 2:
        return Qt::RightToolBarArea;
    case 3:
        return Qt::BottomToolBarArea;
    default:
        return Qt::TopToolBarArea;
    }
}

int positionOf(Qt::ToolBarArea area) {
    switch (area) {
    case Qt::LeftToolBarArea:
        return 0;
    case Qt::RightToolBarArea:
        return 2;
    case Qt::BottomToolBarArea:
        return 3;
    default:
        return 1;
    }
}

// Runs a control's Execute() once the click that asked for it is over; a failure inside the
// handler never leaves the event loop.
void executeLater(QObject* context, const std::weak_ptr<Control>& weak) {
    QMetaObject::invokeMethod(
        context,
        [weak] {
            // Execute() lets nothing out: a failing handler is logged and told in the status bar.
            if (const auto control = weak.lock())
                control->Execute();
        },
        Qt::QueuedConnection);
}

Qt::ToolButtonStyle buttonStyle(const Control& control, bool hasIcon) {
    switch (control.Style()) {
    case 1:
        return hasIcon ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly;
    case 2:
        return Qt::ToolButtonTextOnly;
    case 3:
        return hasIcon ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonTextOnly;
    default:
        return hasIcon ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextOnly;
    }
}

} // namespace

CommandBarToolbars::CommandBarToolbars(CommandBars& bars, QMainWindow* window)
    : QObject(window), bars_(bars), window_(window) {
    readTimer_.setSingleShot(true);
    readTimer_.setInterval(0);
    connect(&readTimer_, &QTimer::timeout, this, &CommandBarToolbars::readPositions);
    for (const auto& bar : bars_.bars())
        addBar(bar);
    subscription_ = bars_.Changed().connect([this](const CommandBarsChange& change) {
        try {
            onChange(change);
        } catch (const std::exception&) {
            LogCurrentException("CommandBarToolbars: following the command bars");
        }
    });
}

CommandBarToolbars::~CommandBarToolbars() {
    subscription_.reset();
}

QToolBar* CommandBarToolbars::toolbarFor(const std::shared_ptr<CommandBar>& bar) const {
    const auto it = entries_.find(bar.get());
    return it == entries_.end() ? nullptr : it->second.toolbar.data();
}

bool CommandBarToolbars::wantsToolbar(const CommandBar& bar) {
    return !bar.isDeleted() && !bar.isMenu() && !bar.isMenuBar();
}

void CommandBarToolbars::onChange(const CommandBarsChange& change) {
    if (!change.bar)
        return;
    using Kind = CommandBarsChange::Kind;
    if (change.kind == Kind::BarAdded) {
        addBar(change.bar);
        return;
    }
    if (change.kind == Kind::BarRemoved) {
        removeBar(change.bar.get());
        return;
    }
    const auto it = entries_.find(change.bar.get());
    if (it == entries_.end())
        return;
    Entry& entry = it->second;
    if (change.control) {
        rebuild(entry);
        return;
    }
    if (change.property == "Visible") {
        ++applying_;
        entry.toolbar->setVisible(change.bar->Visible());
        --applying_;
    } else if (!reading_) {
        place(entry);
    }
}

void CommandBarToolbars::addBar(const std::shared_ptr<CommandBar>& bar) {
    if (!bar || !wantsToolbar(*bar) || entries_.count(bar.get()))
        return;
    auto* toolbar = new QToolBar(toQString(bar->Name()), window_);
    toolbar->setObjectName(QStringLiteral("commandbar:") + toQString(bar->Name()));
    toolbar->installEventFilter(this);
    connect(toolbar, &QToolBar::topLevelChanged, this, [this] {
        if (!applying_)
            scheduleRead();
    });
    Entry& entry = entries_[bar.get()];
    entry.bar = bar;
    entry.toolbar = toolbar;
    rebuild(entry);
    place(entry);
    ++applying_;
    toolbar->setVisible(bar->Visible());
    --applying_;
}

void CommandBarToolbars::removeBar(const CommandBar* bar) {
    const auto it = entries_.find(bar);
    if (it == entries_.end())
        return;
    if (QToolBar* toolbar = it->second.toolbar) {
        ++applying_;
        window_->removeToolBar(toolbar);
        toolbar->hide();
        --applying_;
        // A click on the toolbar itself may be what deleted the bar.
        toolbar->deleteLater();
    }
    entries_.erase(it);
}

void CommandBarToolbars::fillMenu(QMenu* menu, const Controls& controls) {
    for (const auto& control : controls.items()) {
        if (!control->Visible())
            continue;
        if (control->BeginGroup() && !menu->isEmpty())
            menu->addSeparator();
        const QString caption = toQString(control->Caption());
        if (control->Type() == ControlType::Popup) {
            QMenu* sub = menu->addMenu(caption);
            if (const auto children = control->popupControls())
                fillMenu(sub, *children);
            continue;
        }
        QAction* action =
            menu->addAction(iconForFaceId(control->FaceId(), window_->style()), caption);
        const std::weak_ptr<Control> weak = control;
        connect(action, &QAction::triggered, this, [this, weak] { executeLater(this, weak); });
    }
}

void CommandBarToolbars::rebuild(Entry& entry) {
    const auto bar = entry.bar.lock();
    QToolBar* toolbar = entry.toolbar;
    if (!bar || !toolbar)
        return;
    // What the last rebuild made goes once the current event (maybe its own click) is over.
    toolbar->clear();
    if (entry.contents) {
        const auto children = entry.contents->findChildren<QWidget*>();
        for (QWidget* widget : children)
            widget->hide();
        entry.contents->deleteLater();
    }
    auto* contents = new QObject(toolbar);
    entry.contents = contents;

    for (const auto& control : bar->controls()->items()) {
        if (!control->Visible())
            continue;
        if (control->BeginGroup() && !toolbar->actions().isEmpty())
            toolbar->addSeparator();
        const QString caption = toQString(control->Caption());
        if (control->Type() == ControlType::Popup) {
            auto* button = new QToolButton(toolbar);
            button->setText(caption);
            button->setPopupMode(QToolButton::InstantPopup);
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
            auto* menu = new QMenu(button);
            if (const auto children = control->popupControls())
                fillMenu(menu, *children);
            button->setMenu(menu);
            QAction* holder = toolbar->addWidget(button);
            holder->setText(caption);
            // The button lives as long as this rebuild's contents.
            connect(contents, &QObject::destroyed, button, &QObject::deleteLater);
            continue;
        }
        const QIcon icon = iconForFaceId(control->FaceId(), window_->style());
        auto* action = new QAction(icon, caption, contents);
        toolbar->addAction(action);
        if (auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action)))
            button->setToolButtonStyle(buttonStyle(*control, !icon.isNull()));
        const std::weak_ptr<Control> weak = control;
        connect(action, &QAction::triggered, this, [this, weak] { executeLater(this, weak); });
    }
}

int CommandBarToolbars::rowOf(QToolBar* toolbar) const {
    const Qt::ToolBarArea area = window_->toolBarArea(toolbar);
    const bool horizontal = area == Qt::TopToolBarArea || area == Qt::BottomToolBarArea;
    std::set<int> lines;
    for (const auto& [bar, entry] : entries_) {
        QToolBar* other = entry.toolbar;
        if (!other || entry.floating || other->isFloating() || other->isHidden() ||
            window_->toolBarArea(other) != area)
            continue;
        lines.insert(horizontal ? other->y() : other->x());
    }
    const int mine = horizontal ? toolbar->y() : toolbar->x();
    int row = static_cast<int>(std::distance(lines.begin(), lines.lower_bound(mine)));
    // Rows are counted from the window's edge: the bottom and right areas grow inwards.
    if (area == Qt::BottomToolBarArea || area == Qt::RightToolBarArea)
        row = static_cast<int>(lines.size()) - 1 - row;
    return std::max(row, 0);
}

void CommandBarToolbars::place(Entry& entry) {
    const auto bar = entry.bar.lock();
    QToolBar* toolbar = entry.toolbar;
    if (!bar || !toolbar)
        return;
    ++applying_;
    const bool visible = bar->Visible();
    if (bar->Position() == 4) {
        if (!entry.floating) {
            window_->removeToolBar(toolbar);
            toolbar->setParent(window_, Qt::Tool | Qt::FramelessWindowHint);
            entry.floating = true;
        }
        toolbar->adjustSize();
        toolbar->move(bar->Left(), bar->Top());
    } else {
        const Qt::ToolBarArea area = areaOf(bar->Position());
        // The rows of the area as the bars there ask for them; this bar goes first in its row.
        std::map<int, std::vector<QToolBar*>> rows;
        for (const auto& [key, other] : entries_) {
            const auto otherBar = other.bar.lock();
            if (&other == &entry || !otherBar || !other.toolbar || other.floating ||
                otherBar->Position() == 4 || areaOf(otherBar->Position()) != area)
                continue;
            rows[otherBar->RowIndex()].push_back(other.toolbar);
        }
        auto& row = rows[bar->RowIndex()];
        row.insert(row.begin(), toolbar);
        if (entry.floating) {
            toolbar->setParent(window_, Qt::Widget);
            entry.floating = false;
        }
        for (const auto& [index, members] : rows)
            for (QToolBar* member : members)
                window_->removeToolBar(member);
        bool first = true;
        for (const auto& [index, members] : rows) {
            if (!first)
                window_->addToolBarBreak(area);
            first = false;
            for (QToolBar* member : members) {
                window_->addToolBar(area, member);
                // removeToolBar hides; the bar's own Visible decides.
                bool shown = member == toolbar ? visible : true;
                for (const auto& [k, e] : entries_)
                    if (e.toolbar == member)
                        if (const auto b = e.bar.lock())
                            shown = b->Visible();
                member->setVisible(shown);
            }
        }
    }
    toolbar->setVisible(visible);
    --applying_;
}

void CommandBarToolbars::readPositions() {
    if (reading_)
        return;
    reading_ = true;
    for (auto& [key, entry] : entries_) {
        const auto bar = entry.bar.lock();
        QToolBar* toolbar = entry.toolbar;
        if (!bar || !toolbar || toolbar->isHidden())
            continue;
        if (entry.floating || toolbar->isFloating()) {
            bar->SetPosition(4);
            bar->SetLeft(toolbar->x());
            bar->SetTop(toolbar->y());
            continue;
        }
        const QPoint global = toolbar->mapToGlobal(QPoint(0, 0));
        bar->SetPosition(positionOf(window_->toolBarArea(toolbar)));
        bar->SetLeft(global.x());
        bar->SetTop(global.y());
        bar->SetRowIndex(rowOf(toolbar));
    }
    reading_ = false;
}

void CommandBarToolbars::scheduleRead() {
    readTimer_.start();
}

bool CommandBarToolbars::eventFilter(QObject* watched, QEvent* event) {
    // The user drags a toolbar with the mouse; moves made by this class are not the user's.
    if (!applying_ &&
        (event->type() == QEvent::MouseButtonRelease ||
         (event->type() == QEvent::Move && QApplication::mouseButtons() != Qt::NoButton)))
        scheduleRead();
    return QObject::eventFilter(watched, event);
}

QIcon CommandBarToolbars::iconForFaceId(int faceId, const QStyle* style) {
    static constexpr std::array<QStyle::StandardPixmap, 16> kFaces = {
        QStyle::SP_FileIcon,
        QStyle::SP_DirIcon,
        QStyle::SP_DialogSaveButton,
        QStyle::SP_DialogOpenButton,
        QStyle::SP_ComputerIcon,
        QStyle::SP_DesktopIcon,
        QStyle::SP_MediaPlay,
        QStyle::SP_DriveNetIcon,
        QStyle::SP_FileDialogDetailedView,
        QStyle::SP_DialogHelpButton,
        QStyle::SP_BrowserReload,
        QStyle::SP_ArrowRight,
        QStyle::SP_MessageBoxInformation,
        QStyle::SP_TitleBarMenuButton,
        QStyle::SP_DialogApplyButton,
        QStyle::SP_MediaVolume};
    if (faceId <= 0 || !style)
        return QIcon();
    return style->standardIcon(kFaces[static_cast<std::size_t>(faceId) % kFaces.size()]);
}

} // namespace tlx::host
