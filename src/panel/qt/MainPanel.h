#pragma once
// The main panel: a small floating tool window with its own title bar, kept above the page
// editor, with one picture button per command.

#include "addinbase/AddinContext.h"
#include "catalog/qt/CreationDialogs.h"
#include "panel/MainMenu.h"
#include "panel/PanelState.h"

#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QLabel;
class QTimer;
class QToolButton;

namespace tlx {

class MainPanel : public QWidget, public MainMenuActions {
public:
    // Loads the panel (shown on top, menu built, height set, PanelOpen set). `unload` is
    // called when the close label closes the panel, to unload it; `hostWindow` is where the
    // panel first appears.
    MainPanel(AddinContext& context, std::function<void()> unload = {},
              QWidget* hostWindow = nullptr);
    ~MainPanel() override;

    // ---- controls
    QLabel* TitleBar = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* MainRoller = nullptr;
    QLabel* CloseLabel = nullptr;
    QToolButton* Command14 = nullptr;
    QToolButton* btHeading = nullptr;
    QToolButton* btIntros = nullptr;
    QToolButton* btShape = nullptr;
    QToolButton* btSound = nullptr;
    QToolButton* Command1 = nullptr;
    QToolButton* cmdProps = nullptr;
    QToolButton* Command4 = nullptr;
    QToolButton* Command2 = nullptr;
    QToolButton* Command5 = nullptr;
    QToolButton* Command3 = nullptr;
    QTimer* Timer1 = nullptr;

    // ---- handlers; none lets an exception out
    void Command2_Click();
    void Command5_Click();
    void Command3_Click();
    void cmdProps_Click();
    void Command4_Click();
    void btSound_Click();
    // Command14, btHeading, btIntros, btShape, Command1: the creation dialogs.
    void OpenCreationDialog(CreationDialogKind kind);
    void MainRoller_Click();
    void CloseLabel_Click();
    void Timer1_Timer();
    // Runs a chosen entry of the main menu.
    void ActionMainMenu(int command);
    // The unloading work: stops the timer and removes the preview text files. The panel
    // does nothing more afterwards.
    void Form_Unload();
    bool IsUnloaded() const { return unloaded_; }

    const std::vector<MenuEntry>& Menu() const { return menu_; }
    const MainRollerState& Roller() const { return roller_; }
    int HeightTwips() const;
    void SetHeightTwips(int twips);
    bool Dragging() const { return dragging_; }
    // While held hidden (the heading dialog is open) nothing shows the panel: neither the
    // host's window events nor the dialogs putting it back on top. Releasing does not show
    // it by itself.
    void HoldHidden(bool held);
    bool IsHeldHidden() const { return heldHidden_; }
    void setVisible(bool visible) override;

    // ---- MainMenuActions
    void SetTopmost(bool onTop) override;
    void ShowAboutBox() override;
    bool CanImport() const override { return true; }
    void ImportDownloadedMovies() override;
    bool CanCheckNews() const override { return true; }
    void CheckNews() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QToolButton* MakeButton(int icon, const char* toolTip);
    void Layout();
    // Runs a handler; an unexpected failure is shown, never passed on.
    template <typename Body> void Guarded(Body&& body);
    bool HandleDragEvent(QEvent* event);
    // Whether the page's view is editable; when not, the host's status bar says so.
    bool EditableOrSay();
    // Shows a dialog of the page's selection made without an owner, centred on the panel's
    // screen, as one undo step, with the panel out of its way meanwhile; nothing when the page
    // is not editable.
    template <typename Form> void ShowSelectionDialog();

    AddinContext& context_;
    std::function<void()> unload_;
    std::vector<MenuEntry> menu_;
    MainRollerState roller_;
    bool dragging_ = false;
    QPoint dragStart_;
    bool unloaded_ = false;
    bool heldHidden_ = false;
    // The window the panel stays above (its native window's transient parent): a click into
    // the editor, or the editor's own dialogs closing, never sends the panel behind it.
    QPointer<QWidget> hostWindow_;
};

} // namespace tlx
