#include "panel/qt/MainPanel.h"

#include "addinbase/GuardedHandler.h"
#include "catalog/IntroTextFile.h"
#include "editing/qt/FlashProp.h"
#include "editing/qt/frmColoriser.h"
#include "hostapi/UserAction.h"
#include "markup/FlashFix.h"
#include "panel/DetectionScript.h"
#include "panel/qt/AboutBox.h"
#include "panel/qt/PanelIcons.h"
#include "platform/Log.h"
#include "platform/qt/QtPlatform.h"
#include "platform/qt/SetTopmost.h"
#include "sound/qt/frmFlashSOund.h"
#include "updates/PackageImport.h"
#include "updates/qt/ImportNew.h"
#include "updates/qt/NetChecker.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <exception>

namespace tlx {

namespace {

constexpr int kButtonPixels = 28;
constexpr int kButtonCount = 11;
constexpr int kMarginPixels = 3;
constexpr int kPanelWidthPixels = kButtonCount * kButtonPixels + 2 * kMarginPixels;
constexpr int kLabelPixels = 18;

// Puts a dialog without an owner in the middle of the screen the panel is on.
void CentreOnScreenOf(QWidget& dialog, const QWidget* panel) {
    if (const QScreen* screen = panel->screen()) {
        dialog.adjustSize();
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    }
}

// Where the panel first shows over the host's window: at its right, below its menus and
// toolbars (and the welcome under them, whose button the panel would otherwise cover), just
// under the tabs of the page windows.
QPoint PlaceBesideHost(const QWidget& hostWindow) {
    const QRect host = hostWindow.frameGeometry();
    int top = host.top() + 96;
    if (const auto* main = qobject_cast<const QMainWindow*>(&hostWindow);
        main && main->centralWidget())
        top = std::max(top, main->centralWidget()->mapToGlobal(QPoint(0, 0)).y() + 32);
    return {host.right() - kPanelWidthPixels - 32, top};
}

} // namespace

template <typename Body> void MainPanel::Guarded(Body&& body) {
    if (!unloaded_)
        RunGuarded(context_.platform, "MainPanel", std::forward<Body>(body));
}

MainPanel::MainPanel(AddinContext& context, std::function<void()> unload, QWidget* hostWindow)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), context_(context),
      unload_(std::move(unload)), hostWindow_(hostWindow ? hostWindow->window() : nullptr) {
    setWindowTitle(toQString(std::string(kPanelCaption)));
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    // The panel never takes the focus, so it is never the active window: its buttons explain
    // themselves all the same.
    setAttribute(Qt::WA_AlwaysShowToolTips, true);
    setFocusPolicy(Qt::NoFocus);

    TitleBar = new QLabel(this);
    TitleBar->setObjectName(QStringLiteral("TitleBar"));
    TitleBar->setScaledContents(true);
    TitleBar->setPixmap(DrawTitleBar(kPanelWidthPixels, TwipsToPixels(kRolledUpHeightTwips)));

    const auto titleLabel = [this](const std::string_view text, const char* name) {
        auto* label = new QLabel(toQString(std::string(text)), this);
        label->setObjectName(QLatin1String(name));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        label->setPalette(palette);
        QFont font = label->font();
        font.setPixelSize(11);
        font.setBold(true);
        label->setFont(font);
        return label;
    };
    Label4 = titleLabel(kPanelVersionLabel, "Label4");
    MainRoller = titleLabel(kRollUpCaption, "MainRoller");
    MainRoller->setAlignment(Qt::AlignCenter);
    MainRoller->setCursor(Qt::PointingHandCursor);
    CloseLabel = titleLabel("x", "CloseLabel");
    CloseLabel->setAlignment(Qt::AlignCenter);
    CloseLabel->setCursor(Qt::PointingHandCursor);
    for (QLabel* label : {TitleBar, Label4, MainRoller, CloseLabel})
        label->installEventFilter(this);

    Command14 = MakeButton(static_cast<int>(PanelIcon::Button), "Insert Flash Button");
    btHeading = MakeButton(static_cast<int>(PanelIcon::Heading), "Insert Flash Heading");
    btIntros = MakeButton(static_cast<int>(PanelIcon::Intro), "Insert Flash Intro Movie");
    btShape = MakeButton(static_cast<int>(PanelIcon::Shape), "Insert Flash Shape/Misc");
    btSound = MakeButton(static_cast<int>(PanelIcon::Sound), "Insert Flash Sound Event");
    Command1 = MakeButton(static_cast<int>(PanelIcon::FromFile), "Insert Flash From File");
    cmdProps =
        MakeButton(static_cast<int>(PanelIcon::Properties), "Selected Flash Object Properties");
    Command4 = MakeButton(static_cast<int>(PanelIcon::Colorise),
                          "Apply Custom Colorisation Filter (3rd Generation Objects Only)");
    Command2 =
        MakeButton(static_cast<int>(PanelIcon::ScanFix), "Scan And Fix Invisible Flash Objects");
    Command5 = MakeButton(static_cast<int>(PanelIcon::Detection),
                          "Insert Flash 5+ Detection Code Into Page.");
    Command3 = MakeButton(static_cast<int>(PanelIcon::Help), "Help...");

    connect(Command14, &QToolButton::clicked, this,
            [this] { OpenCreationDialog(CreationDialogKind::Button); });
    connect(btHeading, &QToolButton::clicked, this,
            [this] { OpenCreationDialog(CreationDialogKind::Heading); });
    connect(btIntros, &QToolButton::clicked, this,
            [this] { OpenCreationDialog(CreationDialogKind::IntroMovie); });
    connect(btShape, &QToolButton::clicked, this,
            [this] { OpenCreationDialog(CreationDialogKind::MiscArt); });
    connect(Command1, &QToolButton::clicked, this,
            [this] { OpenCreationDialog(CreationDialogKind::LocalFile); });
    // Follows the selection (Timer1) until the first tick decides.
    cmdProps->setEnabled(false);

    connect(Command2, &QToolButton::clicked, this, [this] { Command2_Click(); });
    connect(Command5, &QToolButton::clicked, this, [this] { Command5_Click(); });
    connect(Command3, &QToolButton::clicked, this, [this] { Command3_Click(); });
    connect(cmdProps, &QToolButton::clicked, this, [this] { cmdProps_Click(); });
    connect(Command4, &QToolButton::clicked, this, [this] { Command4_Click(); });
    connect(btSound, &QToolButton::clicked, this, [this] { btSound_Click(); });

    Timer1 = new QTimer(this);
    Timer1->setInterval(kPropsTimerIntervalMs);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });

    resize(kPanelWidthPixels, TwipsToPixels(kPanelHeightTwips));
    if (hostWindow) {
        move(PlaceBesideHost(*hostWindow));
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() - kPanelWidthPixels - 48, area.top() + 96);
    }

    // Loading: on top, menu, height, open.
    SetTopmost(true);
    menu_ = BuildMainMenu(context_.InstallFolder, CanImport(), CanCheckNews());
    SetHeightTwips(kPanelHeightTwips);
    roller_.SetRestoreHeight(kPanelHeightTwips);
    context_.PanelOpen = true;
    Timer1->start();
}

MainPanel::~MainPanel() {
    Form_Unload();
}

QToolButton* MainPanel::MakeButton(int icon, const char* toolTip) {
    auto* button = new QToolButton(this);
    button->setIcon(DrawPanelIcon(static_cast<PanelIcon>(icon)));
    button->setIconSize(QSize(24, 24));
    button->setToolTip(QString::fromUtf8(toolTip));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void MainPanel::Layout() {
    const int titleHeight = TwipsToPixels(kRolledUpHeightTwips);
    TitleBar->setGeometry(0, 0, width(), titleHeight);
    const int labelTop = (titleHeight - kLabelPixels) / 2;
    CloseLabel->setGeometry(width() - kLabelPixels - 2, labelTop, kLabelPixels, kLabelPixels);
    MainRoller->setGeometry(width() - 2 * kLabelPixels - 4, labelTop, kLabelPixels, kLabelPixels);
    Label4->setGeometry(6, labelTop, width() / 2, kLabelPixels);
    for (QLabel* label : {Label4, MainRoller, CloseLabel})
        label->raise();
    int x = kMarginPixels;
    for (QToolButton* button : {Command14, btHeading, btIntros, btShape, btSound, Command1,
                                cmdProps, Command4, Command2, Command5, Command3}) {
        button->setGeometry(x, titleHeight + 2, kButtonPixels, kButtonPixels);
        x += kButtonPixels;
    }
}

void MainPanel::showEvent(QShowEvent* event) {
    // Before the native window is mapped, and again whenever switching the on-top state
    // made a new one.
    if (hostWindow_ && windowHandle() && hostWindow_->windowHandle())
        windowHandle()->setTransientParent(hostWindow_->windowHandle());
    QWidget::showEvent(event);
}

void MainPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

int MainPanel::HeightTwips() const {
    return PixelsToTwips(height());
}

void MainPanel::SetHeightTwips(int twips) {
    resize(width(), TwipsToPixels(twips));
}

void MainPanel::SetTopmost(bool onTop) {
    // Putting a window on top shows it: a panel held hidden waits for its release.
    if (!unloaded_ && !heldHidden_)
        tlx::SetTopmost(this, onTop);
}

void MainPanel::HoldHidden(bool held) {
    heldHidden_ = held;
    if (held)
        hide();
}

void MainPanel::setVisible(bool visible) {
    if (visible && heldHidden_)
        return;
    QWidget::setVisible(visible);
}

bool MainPanel::EditableOrSay() {
    if (context_.Editor.IsEditableView())
        return true;
    // The add-in itself says nothing here; the host's status bar tells why nothing happens.
    context_.Editor.SetStatusText(kNotEditableNote);
    return false;
}

void MainPanel::Command2_Click() {
    Guarded([&] {
        SetTopmost(false);
        const UserAction action(context_.Editor, fromQString(Command2->toolTip()));
        ScanAndFixOnRequest(context_.Editor, context_.platform);
        SetTopmost(true);
    });
}

void MainPanel::Command5_Click() {
    Guarded([&] {
        SetTopmost(false);
        const UserAction action(context_.Editor, fromQString(Command5->toolTip()));
        if (InsertDetectionScript(context_.Editor, context_.platform, context_.InstallFolder) ==
            DetectionOutcome::NotEditable)
            context_.Editor.SetStatusText(kNotEditableNote);
        SetTopmost(true);
    });
}

void MainPanel::Command3_Click() {
    Guarded([&] {
        // The link list may have been refreshed by the update check since the last time.
        menu_ = BuildMainMenu(context_.InstallFolder, CanImport(), CanCheckNews());
        const int command = ShowMainMenu(context_.platform, menu_);
        if (command != 0)
            ActionMainMenu(command);
        SetTopmost(true);
    });
}

void MainPanel::OpenCreationDialog(CreationDialogKind kind) {
    Guarded([&] {
        using Kind = CreationDialogKind;
        const bool editable = EditableOrSay();
        // Every dialog opened here is shown above the panel: a panel kept on top would cover
        // the dialog's buttons and could not be dragged away while the dialog holds the input.
        if (kind != Kind::Heading && kind != Kind::IntroMovie) {
            if (editable) {
                SetTopmost(false);
                ShowCreationDialog(context_, kind, this);
            }
            SetTopmost(true);
            return;
        }
        // The heading and intro dialogs take the panel's commands away while they are open
        // and give them back (in the states they had) when they go.
        const std::vector<QToolButton*> commands{Command14, btHeading, btSound,  btIntros,
                                                 btShape,   Command1,  cmdProps, Command3};
        std::vector<bool> states;
        for (QToolButton* button : commands) {
            states.push_back(button->isEnabled());
            button->setEnabled(false);
        }
        QPointer<MainPanel> self(this);
        auto restore = [self, commands, states] {
            if (!self || self->unloaded_)
                return;
            for (std::size_t i = 0; i < commands.size(); ++i)
                commands[i]->setEnabled(states[i]);
            self->HoldHidden(false);
            self->show();
            self->SetTopmost(true);
        };
        if (kind == Kind::Heading)
            HoldHidden(true);
        else if (editable)
            SetTopmost(false);
        if (editable)
            ShowCreationDialog(context_, kind, this, restore);
        // A dialog that never loaded (or unloaded) gives the commands back all the same.
        if (!editable || (self && self->heldHidden_))
            restore();
        if (self)
            SetTopmost(true);
    });
}

void MainPanel::cmdProps_Click() {
    Guarded([&] {
        if (EditableOrSay()) {
            SetTopmost(false);
            FlashPropForm form(context_, this);
            const UserAction action(context_.Editor, fromQString(form.dialog().windowTitle()));
            context_.platform.showModal(form);
        }
        SetTopmost(true);
    });
}

template <typename Form> void MainPanel::ShowSelectionDialog() {
    if (!EditableOrSay())
        return;
    SetTopmost(false);
    // Without an owner, as the creation dialogs: a web view in a dialog owned by the panel's
    // tool window brings the window compositing down.
    Form form(context_, nullptr);
    CentreOnScreenOf(form.dialog(), this);
    const UserAction action(context_.Editor, fromQString(form.dialog().windowTitle()));
    context_.platform.showModal(form);
    SetTopmost(true);
}

void MainPanel::Command4_Click() {
    Guarded([&] { ShowSelectionDialog<frmColoriserForm>(); });
}

void MainPanel::btSound_Click() {
    Guarded([&] { ShowSelectionDialog<frmFlashSOundForm>(); });
}

void MainPanel::ActionMainMenu(int command) {
    Guarded([&] { tlx::ActionMainMenu(command, context_, *this); });
}

void MainPanel::ShowAboutBox() {
    AboutBoxForm form(context_.platform, this);
    context_.platform.showModal(form);
}

void MainPanel::ImportDownloadedMovies() {
    ImportNewForm form(context_.platform, context_.InstallFolder, this);
    context_.platform.showModal(form);
}

void MainPanel::CheckNews() {
    // The window shows itself, runs on the event loop and deletes itself when done.
    auto* checker = new NetChecker(context_, DefaultNetCheckerOptions(), this);
    checker->DoCheck();
}

void MainPanel::MainRoller_Click() {
    Guarded([&] {
        SetHeightTwips(roller_.Click(HeightTwips()));
        MainRoller->setText(toQString(roller_.Caption()));
    });
}

void MainPanel::CloseLabel_Click() {
    Guarded([&] {
        SetTopmost(false);
        context_.PanelOpen = false;
        if (unload_) {
            unload_();
        } else {
            Form_Unload();
            hide();
        }
    });
}

void MainPanel::Timer1_Timer() {
    if (!unloaded_)
        cmdProps->setEnabled(PropsButtonEnabled(context_.Editor, cmdProps->isEnabled()));
}

void MainPanel::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    Timer1->stop();
    dragging_ = false;
    DeletePreviewTextFiles(context_.InstallFolder);
}

bool MainPanel::eventFilter(QObject* watched, QEvent* event) {
    if (unloaded_)
        return false;
    if (watched == TitleBar || watched == Label4)
        return HandleDragEvent(event);
    if ((watched == MainRoller || watched == CloseLabel) &&
        event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == MainRoller)
            MainRoller_Click();
        else
            CloseLabel_Click();
        return true;
    }
    return false;
}

bool MainPanel::HandleDragEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            dragStart_ = mouse->globalPosition().toPoint() - pos();
            setCursor(Qt::SizeAllCursor);
            dragging_ = true;
        } else if (mouse->button() == Qt::RightButton) {
            Command3_Click();
        }
        SetTopmost(true);
        return true;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (dragging_ && (mouse->buttons() & Qt::LeftButton))
            move(mouse->globalPosition().toPoint() - dragStart_);
        return dragging_;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && dragging_) {
            unsetCursor();
            dragging_ = false;
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace tlx
