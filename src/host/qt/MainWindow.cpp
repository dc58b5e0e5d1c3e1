#include "host/qt/MainWindow.h"

#include "host/HtmlDocument.h"
#include "host/qt/BrowserPreview.h"
#include "host/qt/CommandBarToolbars.h"
#include "host/qt/FindReplaceDialog.h"
#include "host/qt/HyperlinkDialog.h"
#include "host/qt/PageView.h"
#include "host/qt/PublishWebDialog.h"
#include "host/qt/ScriptBridge.h"
#include "host/qt/SourceCodec.h"
#include "host/qt/WebServer.h"
#include "platform/Log.h"
#include "platform/ShippedData.h"
#include "platform/qt/QtPlatform.h"
#include "publish/Publisher.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <exception>

namespace tlx::host {

namespace fs = std::filesystem;

namespace {

QString pathText(const fs::path& path) {
    return QString::fromStdString(path.string());
}

bool isPageFile(const QString& name) {
    return name.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

constexpr char kRecentWebsKey[] = "editor/recentWebs";
constexpr char kWordWrapKey[] = "editor/wordWrap";
// How long a note of the add-in stays in the status bar.
constexpr int kStatusNoteMs = 10000;

QSettings settings() {
    return QSettings(QStringLiteral("Tamberlux"), QStringLiteral("Tamberlux"));
}

} // namespace

MainWindow::MainWindow(std::shared_ptr<Application> application, Options options, QWidget* parent)
    : QMainWindow(parent), application_(std::move(application)), options_(options) {
    setObjectName(QStringLiteral("MainWindow"));
    resize(1200, 760);

    askSaveChanges = [this](const QString& name) {
        return QMessageBox::question(
            this, tr("Tamberlux"), tr("Save the changes to \"%1\"?").arg(name),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    };
    askSaveAsFile = [this](const fs::path& suggestion) -> std::optional<fs::path> {
        const QString file = QFileDialog::getSaveFileName(this, tr("Save As"), pathText(suggestion),
                                                          tr("Web pages (*.htm *.html)"));
        if (file.isEmpty())
            return std::nullopt;
        return fs::path(file.toStdString());
    };
    askOpenFile = [this]() -> std::optional<fs::path> {
        const auto web = application_->web();
        const QString file = QFileDialog::getOpenFileName(
            this, tr("Open"), web && web->isOpen() ? pathText(web->root()) : QString(),
            tr("Web pages (*.htm *.html);;All files (*)"));
        if (file.isEmpty())
            return std::nullopt;
        return fs::path(file.toStdString());
    };
    askWebFolder = [this]() -> std::optional<fs::path> {
        const QString folder = QFileDialog::getExistingDirectory(this, tr("Open Web"));
        if (folder.isEmpty())
            return std::nullopt;
        return fs::path(folder.toStdString());
    };
    runHyperlinkDialog = [](HyperlinkDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    showError = [this](const QString& message) {
        QMessageBox::warning(this, tr("Tamberlux"), message);
    };
    askPublishFolder = [this]() -> std::optional<fs::path> {
        const QString folder = QFileDialog::getExistingDirectory(
            this, tr("Publish Web To (an empty folder, or one published from this web before)"));
        if (folder.isEmpty())
            return std::nullopt;
        return fs::path(folder.toStdString());
    };
    runPublishDialog = [](PublishWebDialog& dialog) { dialog.exec(); };
    openInBrowser = [](const QUrl& address) { return QDesktopServices::openUrl(address); };

    if (options_.rendering) {
        server_ = new WebServer(this);
        server_->start();
        server_->setOverride(
            [this](const QString& mount, const QString& path) -> std::optional<QByteArray> {
                for (const auto& [window, view] : views_)
                    if (view && view->isServedAt(mount, path))
                        return view->servedText();
                return std::nullopt;
            });
    }

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    folders_ = new QTreeView(splitter);
    folders_->setObjectName(QStringLiteral("folderList"));
    folderModel_ = new QFileSystemModel(this);
    folderModel_->setReadOnly(true);
    folders_->setModel(folderModel_);
    for (int column = 1; column < 4; ++column)
        folders_->hideColumn(column);
    folders_->header()->hide();
    connect(folders_, &QTreeView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!folderModel_->isDir(index))
            openListedFile(fs::path(folderModel_->filePath(index).toStdString()));
    });
    tabs_ = new QTabWidget(splitter);
    tabs_->setObjectName(QStringLiteral("pageTabs"));
    tabs_->setTabsClosable(true);
    tabs_->setMovable(true);
    tabs_->setDocumentMode(true);
    splitter->addWidget(folders_);
    splitter->addWidget(tabs_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 980});
    setCentralWidget(splitter);
    statusBar();

    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (syncing_)
            return;
        if (auto* view = qobject_cast<PageView*>(tabs_->widget(index))) {
            application_->setActivePageWindow(view->pageWindow());
            showInFolderList(view->pageWindow());
        }
        updateTitle();
        updateViewModeActions();
    });
    connect(tabs_, &QTabWidget::tabCloseRequested, this, [this](int index) {
        if (auto* view = qobject_cast<PageView*>(tabs_->widget(index)))
            closeWindow(view->pageWindow());
    });

    buildMenus();
    toolbars_ = new CommandBarToolbars(application_->commandBars(), this);

    application_->setHyperlinkAction([this] { return insertHyperlink(); });
    application_->setCopyAction([this] { return copySelection(); });
    // The same dialog for the add-in's link fields: only the address comes back, no page
    // changes.
    application_->setLinkChooser([this]() -> std::optional<std::string> {
        const auto address = chooseLink(application_->activePageWindow());
        return address ? address->toStdString() : std::string();
    });

    subscriptions_.push_back(application_->pageWindowsChanged().connect([this] { syncTabs(); }));
    subscriptions_.push_back(application_->activeWindowChanged().connect(
        [this](const PageWindowHandle&) { followActiveWindow(); }));
    subscriptions_.push_back(
        application_->viewModeChanged().connect([this](const PageWindowHandle& window) {
            if (PageView* view = viewFor(window))
                view->applyViewMode();
            updateViewModeActions();
        }));
    subscriptions_.push_back(
        application_->pageSaved().connect([this](const PageWindowHandle& window) {
            if (PageView* view = viewFor(window)) {
                view->markSaved();
                updateServedAddress(view);
                tabs_->setTabText(tabs_->indexOf(view), toQString(window->displayName()));
            }
            if (window == application_->activePageWindow())
                showInFolderList(window);
            updateTitle();
        }));
    subscriptions_.push_back(
        application_->statusTextChanged().connect([this](const std::string& text) {
            statusBar()->showMessage(toQString(text), kStatusNoteMs);
        }));
    subscriptions_.push_back(application_->webChanged().connect([this] {
        onWebChanged();
        rememberWeb();
    }));

    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &MainWindow::onApplicationStateChanged);

    onWebChanged();
    rememberWeb();
    syncTabs();
}

MainWindow::~MainWindow() {
    subscriptions_.clear();
    application_->setHyperlinkAction({});
    application_->setCopyAction({});
    application_->setLinkChooser({});
    if (server_)
        server_->setOverride({});
    // The browser preview answers from the page views: it goes before they do.
    delete browserPreview_;
    browserPreview_ = nullptr;
}

void MainWindow::buildMenus() {
    auto add = [this](QMenu* menu, const QString& name, const QString& text, QKeySequence shortcut,
                      auto slot) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        // Whatever a command meets, it never leaves the event loop; the user is told.
        connect(action, &QAction::triggered, this, [this, slot] {
            try {
                slot();
            } catch (...) {
                report(tr("The command failed: %1")
                           .arg(QString::fromStdString(LogCurrentException("MainWindow"))));
            }
        });
        return action;
    };
    QMenu* file = menuBar()->addMenu(tr("&File"));
    add(file, QStringLiteral("actionOpenWeb"), tr("Open &Web..."),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), [this] {
            if (const auto folder = askWebFolder())
                openWebFolder(*folder);
        });
    recentMenu_ = file->addMenu(tr("&Recent Webs"));
    recentMenu_->setObjectName(QStringLiteral("menuRecentWebs"));
    updateRecentMenu();
    add(file, QStringLiteral("actionNewPage"), tr("&New Page"), QKeySequence::New,
        [this] { application_->newPage(); });
    add(file, QStringLiteral("actionOpen"), tr("&Open..."), QKeySequence::Open, [this] {
        if (const auto page = askOpenFile())
            openPageFile(*page);
    });
    add(file, QStringLiteral("actionSave"), tr("&Save"), QKeySequence::Save, [this] {
        if (const auto window = application_->activePageWindow())
            saveWindow(window);
    });
    // Desktops without a key of their own for Save As get the common one.
    add(file, QStringLiteral("actionSaveAs"), tr("Save &As..."),
        QKeySequence::keyBindings(QKeySequence::SaveAs)
            .value(0, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)),
        [this] {
            if (const auto window = application_->activePageWindow())
                saveWindowAs(window);
        });
    add(file, QStringLiteral("actionClose"), tr("&Close"), QKeySequence::Close, [this] {
        if (const auto window = application_->activePageWindow())
            closeWindow(window);
    });
    file->addSeparator();
    add(file, QStringLiteral("actionPublishWeb"), tr("&Publish Web..."), QKeySequence(),
        [this] { publishWeb(); });
    add(file, QStringLiteral("actionPreviewInBrowser"), tr("Preview in &Browser"),
        QKeySequence(Qt::Key_F12), [this] { previewInBrowser(); });
    file->addSeparator();
    add(file, QStringLiteral("actionQuit"), tr("E&xit"), QKeySequence::Quit, [this] { close(); });

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    add(edit, QStringLiteral("actionUndo"), tr("&Undo"), QKeySequence::Undo, [this] {
        if (PageView* view = activeView())
            view->sourceEditor()->undo();
    });
    QAction* redo = add(edit, QStringLiteral("actionRedo"), tr("&Redo"), QKeySequence(), [this] {
        if (PageView* view = activeView())
            view->sourceEditor()->redo();
    });
    // Both keys users know redo with (the source editor takes the second itself).
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(edit, &QMenu::aboutToShow, this, &MainWindow::updateUndoActions);
    edit->addSeparator();
    // The keys of Cut, Copy, Paste and Select All belong to whichever widget has the focus
    // (the source editor does them itself); the menu entries act on the active page's source.
    const auto editorKey = [](QAction* action, QKeySequence::StandardKey key) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
    };
    editorKey(add(edit, QStringLiteral("actionCut"), tr("Cu&t"), QKeySequence(),
                  [this] {
                      if (PageView* view = activeView();
                          view && !view->sourceEditor()->isReadOnly())
                          view->sourceEditor()->cut();
                  }),
              QKeySequence::Cut);
    editorKey(add(edit, QStringLiteral("actionCopy"), tr("&Copy"), QKeySequence(),
                  [this] { copySelection(); }),
              QKeySequence::Copy);
    editorKey(add(edit, QStringLiteral("actionPaste"), tr("&Paste"), QKeySequence(),
                  [this] {
                      if (PageView* view = activeView();
                          view && !view->sourceEditor()->isReadOnly())
                          view->sourceEditor()->paste();
                  }),
              QKeySequence::Paste);
    editorKey(add(edit, QStringLiteral("actionSelectAll"), tr("Select &All"), QKeySequence(),
                  [this] {
                      if (PageView* view = activeView())
                          view->sourceEditor()->selectAll();
                  }),
              QKeySequence::SelectAll);
    edit->addSeparator();
    add(edit, QStringLiteral("actionFindReplace"), tr("&Find and Replace..."), QKeySequence(),
        [this] { showFindReplace(); })
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::CTRL | Qt::Key_H)});
    add(edit, QStringLiteral("actionFindNext"), tr("Find &Next"), QKeySequence::FindNext, [this] {
        showFindReplace();
        if (auto* dialog = qobject_cast<FindReplaceDialog*>(findReplace_.data()))
            dialog->findNext();
    });

    QMenu* view = menuBar()->addMenu(tr("&View"));
    viewModes_ = new QActionGroup(this);
    const std::pair<int, QString> modes[] = {
        {kViewNormal, tr("&Normal")}, {kViewHtml, tr("&HTML")}, {kViewPreview, tr("&Preview")}};
    const char* names[] = {"actionViewNormal", "actionViewHtml", "actionViewPreview"};
    int i = 0;
    for (const auto& [mode, text] : modes) {
        QAction* action = view->addAction(text);
        action->setObjectName(QString::fromLatin1(names[i]));
        action->setCheckable(true);
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)));
        action->setData(mode);
        viewModes_->addAction(action);
        const int code = mode;
        connect(action, &QAction::triggered, this, [this, code] {
            if (const auto window = application_->activePageWindow())
                window->SetViewMode(code);
        });
        ++i;
    }
    view->addSeparator();
    // Long lines (an object's markup is often one) wrap at the window's edge instead of
    // scrolling the source far to the right; the choice is kept for the next start.
    QAction* wrap = view->addAction(tr("&Word Wrap"));
    wrap->setObjectName(QStringLiteral("actionWordWrap"));
    wrap->setCheckable(true);
    wrap->setChecked(settings().value(QLatin1String(kWordWrapKey), false).toBool());
    connect(wrap, &QAction::toggled, this, [this](bool on) {
        settings().setValue(QLatin1String(kWordWrapKey), on);
        for (const auto& [window, page] : views_)
            if (page)
                applyWordWrap(*page);
    });

    QMenu* insert = menuBar()->addMenu(tr("&Insert"));
    add(insert, QStringLiteral("actionHyperlink"), tr("Hyper&link..."),
        QKeySequence(Qt::CTRL | Qt::Key_K), [this] { insertHyperlink(); });
    updateViewModeActions();
}

void MainWindow::applyWordWrap(PageView& view) const {
    const QAction* wrap = action(QStringLiteral("actionWordWrap"));
    view.sourceEditor()->setLineWrapMode(wrap && wrap->isChecked() ? QPlainTextEdit::WidgetWidth
                                                                   : QPlainTextEdit::NoWrap);
}

QAction* MainWindow::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

PageView* MainWindow::viewFor(const PageWindowHandle& window) const {
    const auto it = views_.find(window.get());
    return it == views_.end() ? nullptr : it->second.data();
}

PageView* MainWindow::activeView() const {
    return viewFor(application_->activePageWindow());
}

void MainWindow::syncTabs() {
    syncing_ = true;
    const auto& windows = application_->pageWindows();
    // Closed windows lose their tab.
    for (auto it = views_.begin(); it != views_.end();) {
        const bool open =
            std::any_of(windows.begin(), windows.end(),
                        [&](const PageWindowHandle& w) { return w.get() == it->first; });
        if (open) {
            ++it;
            continue;
        }
        if (PageView* view = it->second) {
            tabs_->removeTab(tabs_->indexOf(view));
            view->hide();
            view->deleteLater();
        }
        if (const auto mount = pageMounts_.find(it->first); mount != pageMounts_.end()) {
            if (server_)
                server_->setMountFolder(mount->second, QString());
            pageMounts_.erase(mount);
        }
        it = views_.erase(it);
    }
    for (const auto& window : windows) {
        if (views_.count(window.get()))
            continue;
        auto* view = new PageView(window, server_, tabs_);
        views_[window.get()] = view;
        applyWordWrap(*view);
        updateServedAddress(view);
        tabs_->addTab(view, toQString(window->displayName()));
        connect(view, &PageView::textEdited, this, [this, view] {
            const auto& edited = view->pageWindow();
            const int index = tabs_->indexOf(view);
            if (index >= 0)
                tabs_->setTabText(index,
                                  toQString(edited->displayName()) +
                                      (edited->isModified() ? QStringLiteral(" *") : QString()));
            updateTitle();
            if (view == activeView())
                updateUndoActions();
        });
        connect(view, &PageView::historyChanged, this, [this, view] {
            if (view == activeView())
                updateUndoActions();
        });
        connect(view, &PageView::charactersEscaped, this, [this](const QString& charset) {
            statusBar()->showMessage(
                tr("Characters the page's encoding (%1) cannot hold are written as numeric "
                   "character references.")
                    .arg(charset),
                10000);
        });
    }
    syncing_ = false;
    followActiveWindow();
}

void MainWindow::followActiveWindow() {
    syncing_ = true;
    if (PageView* view = activeView()) {
        tabs_->setCurrentWidget(view);
        view->sourceEditor()->setFocus(Qt::OtherFocusReason);
        showInFolderList(view->pageWindow());
    }
    syncing_ = false;
    updateTitle();
    updateViewModeActions();
    updateUndoActions();
}

void MainWindow::updateUndoActions() {
    QAction* undo = action(QStringLiteral("actionUndo"));
    QAction* redo = action(QStringLiteral("actionRedo"));
    if (!undo || !redo)
        return;
    const PageView* view = activeView();
    const auto named = [](const QString& command, const QString& name) {
        return name.isEmpty() ? command
                              : command + QLatin1Char(' ') +
                                    QString(name).replace(QLatin1Char('&'), QLatin1String("&&"));
    };
    undo->setText(named(tr("&Undo"), view ? view->undoName() : QString()));
    redo->setText(named(tr("&Redo"), view ? view->redoName() : QString()));
    undo->setEnabled(view && view->sourceEditor()->document()->isUndoAvailable());
    redo->setEnabled(view && view->sourceEditor()->document()->isRedoAvailable());
}

void MainWindow::updateTitle() {
    QString title;
    if (const auto window = application_->activePageWindow())
        title = toQString(window->displayName()) +
                (window->isModified() ? QStringLiteral("*") : QString()) + QStringLiteral(" - ");
    const auto web = application_->web();
    if (web && web->isOpen())
        title += pathText(web->root().filename()) + QStringLiteral(" - ");
    title += QStringLiteral("Tamberlux");
    setWindowTitle(title);
}

void MainWindow::updateViewModeActions() {
    if (!viewModes_)
        return;
    const auto window = application_->activePageWindow();
    int mode = window ? window->ViewMode() : kViewNormal;
    if (mode == kViewReadOnly)
        mode = kViewPreview;
    for (QAction* action : viewModes_->actions()) {
        action->setEnabled(window != nullptr);
        action->setChecked(action->data().toInt() == mode);
    }
}

void MainWindow::updateServedAddress(PageView* view) {
    if (!view)
        return;
    const auto& window = view->pageWindow();
    const auto web = application_->web();
    if (web && web->isOpen() && (window->isUntitled() || web->contains(window->path()))) {
        const fs::path relative = window->isUntitled()
                                      ? fs::path(window->displayName())
                                      : window->path().lexically_relative(web->root());
        view->setServedAddress(WebServer::kWeb, QString::fromStdString(relative.generic_string()));
        return;
    }
    // A page outside the web gets a mount of its own folder, so that its relative addresses
    // still resolve.
    QString& mount = pageMounts_[window.get()];
    if (mount.isEmpty())
        mount = QStringLiteral("page%1").arg(nextMount_++);
    if (server_)
        server_->setMountFolder(
            mount, window->isUntitled() ? QString() : pathText(window->path().parent_path()));
    view->setServedAddress(mount, toQString(window->displayName()));
}

void MainWindow::onWebChanged() {
    const auto web = application_->web();
    const bool open = web && web->isOpen();
    const QString root = open ? pathText(web->root()) : QString();
    if (server_)
        server_->setMountFolder(WebServer::kWeb, root);
    folderModel_->setRootPath(open ? root : QString());
    folders_->setRootIndex(open ? folderModel_->index(root) : QModelIndex());
    folders_->setEnabled(open);
    for (const auto& [window, view] : views_)
        updateServedAddress(view);
    updateTitle();
}

void MainWindow::onApplicationStateChanged(Qt::ApplicationState state) {
    applicationActive_ = state == Qt::ApplicationActive;
    updateForeground();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // A minimized editor is out of the foreground even while one of its tool windows still
    // holds the focus: what is kept above it goes with it.
    if (event->type() == QEvent::WindowStateChange)
        updateForeground();
}

bool MainWindow::event(QEvent* event) {
    // While a modal dialog holds the input the renderings behind it wait: their movies would
    // take the machine from the dialog's own preview, which then followed the keys typed
    // into the dialog seconds late on a busy machine.
    if (event->type() == QEvent::WindowBlocked)
        pauseRenderings(true);
    else if (event->type() == QEvent::WindowUnblocked)
        pauseRenderings(false);
    return QMainWindow::event(event);
}

void MainWindow::pauseRenderings(bool pause) {
    static const QString kPausePlayers =
        QString::fromUtf8(ResourceText(QStringLiteral(":/tlx/pause-players.js")));
    if (kPausePlayers.isEmpty())
        return;
    const QString script =
        kPausePlayers + (pause ? QStringLiteral("(true)") : QStringLiteral("(false)"));
    for (const auto& [window, view] : views_)
        if (view && view->webView())
            view->webView()->page()->runJavaScript(script);
}

void MainWindow::updateForeground() {
    const bool active = applicationActive_ && !isMinimized();
    if (active == foreground_)
        return;
    foreground_ = active;
    if (active)
        application_->activate();
    else
        application_->deactivate();
}

void MainWindow::report(const QString& message) {
    if (showError)
        showError(message);
}

bool MainWindow::saveWindow(const PageWindowHandle& window) {
    if (!window)
        return false;
    if (window->isUntitled())
        return saveWindowAs(window);
    if (application_->savePage(window)) {
        statusBar()->showMessage(tr("Saved"), 5000);
        return true;
    }
    report(toQString(application_->lastError()));
    return false;
}

bool MainWindow::saveWindowAs(const PageWindowHandle& window) {
    if (!window)
        return false;
    const auto web = application_->web();
    fs::path suggestion = window->isUntitled()
                              ? (web && web->isOpen() ? web->root() / window->displayName()
                                                      : fs::path(window->displayName()))
                              : window->path();
    const auto file = askSaveAsFile ? askSaveAsFile(suggestion) : std::nullopt;
    if (!file)
        return false;
    const fs::path before = window->isUntitled() ? fs::path() : window->path();
    if (!application_->savePageAs(window, *file)) {
        report(toQString(application_->lastError()));
        return false;
    }
    const QString carried =
        before.empty() ? QString() : carryMovieFiles(window->document()->text(), before, *file);
    statusBar()->showMessage(carried.isEmpty() ? tr("Saved") : carried,
                             carried.isEmpty() ? 5000 : 0);
    return true;
}

QString MainWindow::carryMovieFiles(std::string_view text, const fs::path& before,
                                    const fs::path& after) {
    // A page saved into another folder takes along the movies and files they load from beside
    // it, where none stands yet (as inserting a movie puts them beside its page), so that it
    // plays there too; nothing is overwritten, and nothing is written outside the web (or,
    // without one, outside the page's new folder).
    const auto web = application_->web();
    const fs::path limit =
        (web && web->isOpen() ? web->root() : after.parent_path()).lexically_normal();
    const auto inside = [&](const fs::path& path) {
        const fs::path relative = path.lexically_normal().lexically_relative(limit);
        return !relative.empty() && *relative.begin() != "..";
    };
    int copied = 0;
    QStringList failed;
    for (const publish::CarriedFile& file : publish::FilesItsMoviesLoad(text, before, after)) {
        std::error_code error;
        if (file.from == file.to || !fs::is_regular_file(file.from, error) ||
            fs::exists(fs::symlink_status(file.to, error)) || !inside(file.to))
            continue;
        fs::create_directories(file.to.parent_path(), error);
        if (!error)
            fs::copy_file(file.from, file.to, error);
        if (error) {
            LogWarning("SaveAs", file.to.string() + ": " + error.message());
            failed << pathText(file.to.filename()) + QStringLiteral(" (") +
                          QString::fromStdString(error.message()) + QLatin1Char(')');
        } else {
            ++copied;
        }
    }
    if (!failed.isEmpty())
        return tr("Saved, but files its movies use could not be copied along: %1")
            .arg(failed.join(QStringLiteral(", ")));
    if (copied == 1)
        return tr("Saved, with 1 file its movies use copied along");
    if (copied > 1)
        return tr("Saved, with %1 files its movies use copied along").arg(copied);
    return {};
}

bool MainWindow::closeWindow(const PageWindowHandle& window) {
    if (!window)
        return false;
    return closeWindows({window});
}

bool MainWindow::closeWindows(const std::vector<PageWindowHandle>& windows) {
    // `windows` must not be the application's own list, which closing changes.
    // Every question first: a Cancel on any page closes none of them.
    for (const auto& window : windows) {
        if (!window->isModified())
            continue;
        // Bring the page in front while the user is asked about it.
        if (windows.size() > 1)
            application_->setActivePageWindow(window);
        const auto answer =
            askSaveChanges ? askSaveChanges(toQString(window->displayName())) : QMessageBox::Cancel;
        if (answer == QMessageBox::Cancel)
            return false;
        if (answer == QMessageBox::Save && !saveWindow(window))
            return false;
    }
    bool closed = true;
    for (const auto& window : windows)
        if (!window->isClosed() && !application_->closePage(window, false))
            closed = false;
    return closed;
}

bool MainWindow::closeAll() {
    const std::vector<PageWindowHandle> windows = application_->pageWindows(); // changes
    return closeWindows(windows);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeAll())
        event->accept();
    else
        event->ignore();
}

bool MainWindow::openWebFolder(const fs::path& folder) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        report(tr("\"%1\" is not a folder.").arg(pathText(folder)));
        return false;
    }
    // The pages of the web open now go first (new pages never saved go with it).
    const auto web = application_->web();
    std::vector<PageWindowHandle> pages;
    for (const auto& window : application_->pageWindows())
        if (window->isUntitled() || (web && web->isOpen() && web->contains(window->path())))
            pages.push_back(window);
    if (!closeWindows(pages))
        return false;
    if (application_->openWeb(folder))
        return true;
    report(toQString(application_->lastError()));
    return false;
}

bool MainWindow::openPageFile(const fs::path& file) {
    if (application_->openPage(file))
        return true;
    report(toQString(application_->lastError()));
    return false;
}

std::optional<QString> MainWindow::chooseLink(const PageWindowHandle& window) {
    const auto web = application_->web();
    const fs::path root = web && web->isOpen() ? web->root() : fs::path();
    const fs::path folder = !window || window->isUntitled() ? root : window->path().parent_path();
    HyperlinkDialog dialog(root, folder, this);
    if (!runHyperlinkDialog || !runHyperlinkDialog(dialog))
        return std::nullopt;
    return dialog.address();
}

bool MainWindow::insertHyperlink() {
    const auto window = application_->activePageWindow();
    if (!window || window->ViewMode() == kViewPreview || window->ViewMode() == kViewReadOnly)
        return false;
    const auto address = chooseLink(window);
    return address && applyHyperlink(*window->document(), *address);
}

bool MainWindow::copySelection() {
    const auto window = application_->activePageWindow();
    if (!window)
        return false;
    const auto& document = window->document();
    const std::size_t start = document->selectionStart();
    const std::size_t end = document->selectionEnd();
    if (start >= end)
        return false;
    const std::string bytes = document->text().substr(start, end - start);
    const QString text = SourceCodec::forBytes(document->text()).decode(bytes);
    auto* mime = new QMimeData;
    mime->setText(text);
    mime->setHtml(text);
    QGuiApplication::clipboard()->setMimeData(mime);
    return true;
}

void MainWindow::showInFolderList(const PageWindowHandle& window) {
    if (!window || window->isUntitled())
        return;
    const auto web = application_->web();
    if (!web || !web->isOpen() || !web->contains(window->path()))
        return;
    const QModelIndex index = folderModel_->index(pathText(window->path()));
    if (!index.isValid())
        return;
    folders_->setCurrentIndex(index);
    folders_->scrollTo(index);
}

QStringList MainWindow::recentWebs() const {
    return settings().value(QLatin1String(kRecentWebsKey)).toStringList();
}

void MainWindow::rememberWeb() {
    const auto web = application_->web();
    if (!web || !web->isOpen())
        return;
    const QString root = pathText(web->root());
    QStringList webs = recentWebs();
    webs.removeAll(root);
    webs.prepend(root);
    while (webs.size() > kRecentWebs)
        webs.removeLast();
    settings().setValue(QLatin1String(kRecentWebsKey), webs);
    updateRecentMenu();
}

void MainWindow::updateRecentMenu() {
    if (!recentMenu_)
        return;
    recentMenu_->clear();
    const QStringList webs = recentWebs();
    int number = 1;
    for (const QString& folder : webs) {
        QAction* entry = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(number++).arg(
            QString(folder).replace(QLatin1Char('&'), QLatin1String("&&"))));
        entry->setData(folder);
        connect(entry, &QAction::triggered, this, [this, folder] {
            try {
                openWebFolder(fs::path(folder.toStdString()));
            } catch (const std::exception&) {
                report(tr("The command failed: %1")
                           .arg(QString::fromStdString(LogCurrentException("MainWindow"))));
            }
        });
    }
    recentMenu_->setEnabled(!webs.isEmpty());
}

void MainWindow::showFindReplace() {
    if (!findReplace_) {
        findReplace_ = new FindReplaceDialog(
            [this]() -> QPlainTextEdit* {
                PageView* view = activeView();
                return view ? view->sourceEditor() : nullptr;
            },
            this);
    }
    auto* dialog = qobject_cast<FindReplaceDialog*>(findReplace_.data());
    if (PageView* view = activeView()) {
        const QString selected = view->sourceEditor()->textCursor().selectedText();
        if (!selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator))
            dialog->findText()->setText(selected);
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    dialog->findText()->setFocus();
    dialog->findText()->selectAll();
}

void MainWindow::openListedFile(const fs::path& file) {
    const QString name = pathText(file.filename());
    if (isPageFile(name)) {
        openPageFile(file);
        return;
    }
    if (name.endsWith(QLatin1String(".swf"), Qt::CaseInsensitive) && server_) {
        playMovie(file);
        return;
    }
    report(tr("\"%1\" is not a page: only web pages (*.htm, *.html) open in the editor, and "
              "Flash movies (*.swf) play in a window of their own.")
               .arg(name));
}

void MainWindow::playMovie(const fs::path& file) {
    const auto web = application_->web();
    if (!web || !web->isOpen() || !web->contains(file)) {
        report(tr("\"%1\" is not in the open web.").arg(pathText(file)));
        return;
    }
    const QString relative =
        QString::fromStdString(file.lexically_relative(web->root()).generic_string());
    const QUrl movie = server_->urlFor(WebServer::kWeb, relative);
    const QString pageName = QStringLiteral("movie-%1.htm").arg(nextMount_++);
    const QByteArray html =
        QByteArrayLiteral("<html><head><title>") +
        pathText(file.filename()).toHtmlEscaped().toUtf8() +
        QByteArrayLiteral("</title><style>html,body{margin:0;height:100%;background:#fff}"
                          "embed{width:100%;height:100%}</style></head><body><embed src=\"") +
        movie.toEncoded() +
        QByteArrayLiteral("\" type=\"application/x-shockwave-flash\"></body></html>");
    server_->setPreviewPage(pageName, html);

    auto* player = new QWidget(this, Qt::Window);
    player->setAttribute(Qt::WA_DeleteOnClose);
    player->setWindowTitle(pathText(file.filename()) + QStringLiteral(" - Tamberlux"));
    auto* layout = new QVBoxLayout(player);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* view = new QWebEngineView(player);
    layout->addWidget(view);
    player->resize(640, 480);
    QPointer<WebServer> server(server_);
    connect(player, &QObject::destroyed, this, [server, pageName] {
        if (server)
            server->removePreviewPage(pageName);
    });
    view->load(server_->urlFor(WebServer::kPreview, pageName));
    player->show();
}

bool MainWindow::publishWeb() {
    const auto web = application_->web();
    if (!web || !web->isOpen()) {
        report(tr("Open a web first: File > Open Web..."));
        return false;
    }
    const auto dest = askPublishFolder ? askPublishFolder() : std::nullopt;
    if (!dest)
        return false;
    // What is published is what the pages' files hold.
    QStringList unsaved;
    for (const auto& window : application_->pageWindows())
        if (window->document()->isModified())
            unsaved << toQString(window->displayName());
    if (!unsaved.isEmpty())
        report(tr("Pages with unsaved changes are published as last saved: %1")
                   .arg(unsaved.join(QStringLiteral(", "))));
    publish::PublishOptions options;
    options.web = web->root();
    options.dest = *dest;
    options.player = ThisProgramsShippedData().ruffle;
    PublishWebDialog dialog(std::move(options), this);
    if (runPublishDialog)
        runPublishDialog(dialog);
    return dialog.result() && dialog.result()->complete();
}

QUrl MainWindow::previewInBrowser() {
    PageView* view = activeView();
    if (!view) {
        report(tr("Open a page first."));
        return QUrl();
    }
    if (!browserPreview_) {
        QPointer<MainWindow> self(this);
        browserPreview_ = new BrowserPreview(
            [self](const QString& mount, const QString& path) -> std::optional<std::string> {
                if (!self)
                    return std::nullopt;
                for (const auto& [window, pageView] : self->views_)
                    if (pageView && pageView->isServedAt(mount, path))
                        return pageView->pageWindow()->document()->text();
                return std::nullopt;
            },
            this);
    }
    const QString mount = view->servedMount();
    const auto web = application_->web();
    QString folder;
    if (mount == WebServer::kWeb && web && web->isOpen())
        folder = pathText(web->root());
    else if (server_)
        folder = server_->mountFolder(mount);
    const QUrl address = browserPreview_->addressFor(mount, folder, view->servedPath());
    if (address.isEmpty() || !openInBrowser || !openInBrowser(address)) {
        report(address.isEmpty() ? tr("The preview server could not start.")
                                 : tr("No browser could be opened for %1").arg(address.toString()));
        return QUrl();
    }
    return address;
}

} // namespace tlx::host
