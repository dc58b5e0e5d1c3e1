#pragma once
// The page editor's main window over the host model: the folder list of the open web, the
// page windows in tabs (the active tab is the application's active page window, both ways),
// menus, the command bars as toolbars, and the rendering of pages through the loopback web
// server.
//
// Questions to the user (save changes?, file names, the hyperlink dialog) go through
// replaceable functions so that tests can answer them without modal loops.

#include "host/Application.h"
#include "hostapi/Signal.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QAction;
class QActionGroup;
class QMenu;
class QFileSystemModel;
class QTabWidget;
class QTreeView;

namespace tlx::host {

class CommandBarToolbars;
class BrowserPreview;
class HyperlinkDialog;
class PageView;
class PublishWebDialog;
class WebServer;

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    struct Options {
        // Pages are rendered in web views (needs the web engine); off in tests of the editing.
        bool rendering = true;
    };

    MainWindow(std::shared_ptr<Application> application, Options options,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    Application& application() const { return *application_; }
    // The server the renderings come from; nullptr without rendering.
    WebServer* webServer() const { return server_; }
    QTabWidget* tabs() const { return tabs_; }
    QTreeView* folderList() const { return folders_; }
    CommandBarToolbars& toolbars() const { return *toolbars_; }
    PageView* viewFor(const PageWindowHandle& window) const;
    PageView* activeView() const;

    QAction* action(const QString& objectName) const;

    // ---- the user's answers (replaceable)
    // Save / Discard / Cancel for a changed page about to close.
    std::function<QMessageBox::StandardButton(const QString& pageName)> askSaveChanges;
    std::function<std::optional<std::filesystem::path>(const std::filesystem::path& suggestion)>
        askSaveAsFile;
    std::function<std::optional<std::filesystem::path>()> askOpenFile;
    std::function<std::optional<std::filesystem::path>()> askWebFolder;
    // Runs the hyperlink dialog; true when the user confirmed it.
    std::function<bool(HyperlinkDialog& dialog)> runHyperlinkDialog;
    std::function<void(const QString& message)> showError;
    // File > Publish Web...: the folder to publish into; then the progress dialog is run.
    std::function<std::optional<std::filesystem::path>()> askPublishFolder;
    std::function<void(PublishWebDialog& dialog)> runPublishDialog;
    // Opens an address in the user's default browser; false when that failed.
    std::function<bool(const QUrl& address)> openInBrowser;

    // ---- commands (the menu actions call these)
    bool saveWindow(const PageWindowHandle& window);
    bool saveWindowAs(const PageWindowHandle& window);
    // Asks about unsaved changes; false when the page stays open.
    bool closeWindow(const PageWindowHandle& window);
    // Closes every page. Asks about every changed page first; a Cancel (or a failed save)
    // leaves every page open and gives false.
    bool closeAll();
    // Opens another web: the pages of the web open now are closed first, asking as closeAll.
    bool openWebFolder(const std::filesystem::path& folder);
    bool openPageFile(const std::filesystem::path& file);
    // Insert > Hyperlink... on the active page.
    bool insertHyperlink();
    // The hyperlink dialog for `window`'s page (addresses relative to its folder): the address
    // confirmed, nullopt when cancelled.
    std::optional<QString> chooseLink(const PageWindowHandle& window);
    // Edit > Copy: the active page's selection to the clipboard.
    bool copySelection();
    // A double click in the folder list: pages open, a movie plays in a window of its own,
    // anything else is refused with a word why.
    void openListedFile(const std::filesystem::path& file);

    // File > Publish Web...: publishes the open web into a folder the user picks.
    bool publishWeb();
    // File > Preview in Browser: the active page in the user's browser as the published web
    // shows it (unsaved text included); the address opened, empty when none was.
    QUrl previewInBrowser();
    BrowserPreview* browserPreview() const { return browserPreview_; }

    // Webs opened lately, the latest first (kept in the user's settings).
    QStringList recentWebs() const;
    static constexpr int kRecentWebs = 8;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Copies the files the movies of a page saved from `before` to `after` load beside it, for
    // Save As; the status bar's note on it (empty when there was nothing to copy).
    QString carryMovieFiles(std::string_view text, const std::filesystem::path& before,
                            const std::filesystem::path& after);
    // Pauses the movies playing in the renderings (and plays again those it paused).
    void pauseRenderings(bool pause);
    void buildMenus();
    void syncTabs();
    void followActiveWindow();
    void updateTitle();
    void updateViewModeActions();
    // Edit > Undo and Redo name the user action they take back or do again.
    void updateUndoActions();
    // The source editor of `view` wraps long lines when View > Word Wrap is on.
    void applyWordWrap(PageView& view) const;
    void updateServedAddress(PageView* view);
    void onWebChanged();
    void onApplicationStateChanged(Qt::ApplicationState state);
    void updateForeground();
    void report(const QString& message);
    bool closeWindows(const std::vector<PageWindowHandle>& windows);
    void showInFolderList(const PageWindowHandle& window);
    void rememberWeb();
    void updateRecentMenu();
    void showFindReplace();
    void playMovie(const std::filesystem::path& file);

    std::shared_ptr<Application> application_;
    Options options_;
    WebServer* server_ = nullptr;              // a child of this window
    BrowserPreview* browserPreview_ = nullptr; // a child of this window, made at first use
    QTreeView* folders_ = nullptr;
    QFileSystemModel* folderModel_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    CommandBarToolbars* toolbars_ = nullptr;
    QActionGroup* viewModes_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    QPointer<QWidget> findReplace_;
    std::map<const PageWindow*, QPointer<PageView>> views_;
    std::map<const PageWindow*, QString> pageMounts_;
    int nextMount_ = 1;
    bool syncing_ = false;
    bool foreground_ = false;        // the editor is in front (what the host's events said)
    bool applicationActive_ = false; // the program has a window in front
    std::vector<Subscription> subscriptions_;
};

} // namespace tlx::host
