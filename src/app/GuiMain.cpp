#include "app/GuiMain.h"

#include "BuildPaths.h"
#include "addin/qt/AddinConnection.h"
#include "app/InstallFolder.h"
#include "host/Application.h"
#include "host/qt/MainWindow.h"
#include "host/qt/WebServer.h"
#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <cstdlib>
#include <iostream>

namespace tlx::app {

namespace fs = std::filesystem;

std::optional<GuiOptions> parseGuiArgs(const Args& args, std::string& error) {
    GuiOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--install") {
            if (i + 1 >= args.size()) {
                error = "--install needs a folder";
                return std::nullopt;
            }
            options.install = fs::path(args[++i]);
        } else if (arg.rfind("--install=", 0) == 0) {
            options.install = fs::path(arg.substr(10));
        } else if (!arg.empty() && arg[0] == '-') {
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (!options.web) {
            options.web = fs::path(arg);
        } else if (!options.page) {
            options.page = fs::path(arg);
        } else {
            error = "too many arguments: " + arg;
            return std::nullopt;
        }
    }
    return options;
}

fs::path prepareSampleWeb(const fs::path& shipped, const char* home, std::string& note) {
    if (!home || !*home || !fs::path(home).is_absolute()) {
        note = "No home folder: the shipped sample web is opened; save your pages elsewhere.";
        return shipped;
    }
    const fs::path copy = fs::path(home) / "Tamberlux" / "Sample Web";
    std::error_code error;
    // Made once; afterwards the user's copy is the user's, files deleted from it stay deleted.
    if (fs::is_directory(copy, error))
        return copy;
    fs::create_directories(copy, error);
    const SeedReport report = SeedInstallFolder(shipped, copy);
    if (error || !report.problems.empty()) {
        note = "The sample web could not be copied to " + copy.string() +
               "; the shipped sample web is opened.";
        fs::remove_all(copy, error);
        return shipped;
    }
    return copy;
}

fs::path startPage(const fs::path& web, const std::optional<fs::path>& page) {
    std::error_code error;
    if (page) {
        if (page->is_relative() && !web.empty()) {
            const fs::path inWeb = ResolveNoCase(web, *page);
            if (fs::is_regular_file(inWeb, error))
                return inWeb;
        }
        return *page;
    }
    if (web.empty())
        return {};
    for (const char* name : {"index.htm", "index.html"})
        if (const auto found = FindNoCase(web, name); found && fs::is_regular_file(*found, error))
            return *found;
    return {};
}

int runGui(int argc, char** argv) {
    QElapsedTimer startup;
    startup.start();
    // Web views as root and without a GPU.
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamberlux"));

    Args args;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        args.push_back(arguments[i].toStdString());
    std::string error;
    const auto options = parseGuiArgs(args, error);
    if (!options) {
        std::cerr << "tamberlux: " << error << "\n";
        return 2;
    }

    QStringList notes;
    const InstallFolderChoice install = PrepareInstallFolder(options->install);
    if (!install.message.empty())
        notes << toQString(install.message);

    std::string sampleNote;
    const fs::path web = options->web ? *options->web
                                      : prepareSampleWeb(fs::path(TLX_SAMPLE_WEB_DIR),
                                                         std::getenv("HOME"), sampleNote);
    if (!sampleNote.empty())
        notes << toQString(sampleNote);

    const auto application = host::Application::create();
    QtPlatform platform;
    host::MainWindow window(application, host::MainWindow::Options{});
    if (install.folder && window.webServer()) {
        const auto movies = FindNoCase(*install.folder, "FlashMovies");
        if (movies)
            window.webServer()->setMountFolder(host::WebServer::kLibrary,
                                               QString::fromStdString(movies->string()));
    }

    if (!window.openWebFolder(web))
        notes << QStringLiteral("The web %1 could not be opened.").arg(toQString(web.string()));
    const fs::path page = startPage(application->web()->root(), options->page);
    if (!page.empty())
        window.openPageFile(page);

    // Connected after the page is open, as a host connects its add-ins at start; destroyed
    // (disconnected) before the window and the application go.
    const auto addins = tlx::connectAddins(
        application, platform, install.folder ? install.folder->string() : std::string(), &window);

    window.show();
    QTimer::singleShot(0, &window, [&] {
        const qint64 ms = startup.elapsed();
        window.statusBar()->showMessage(QStringLiteral("Ready (%1 ms)").arg(ms), 5000);
        if (qEnvironmentVariableIsSet("TAMBERLUX_TIMING"))
            std::cerr << "tamberlux: window ready after " << ms << " ms\n";
        if (!notes.isEmpty())
            QMessageBox::warning(&window, QStringLiteral("Tamberlux"),
                                 notes.join(QStringLiteral("\n\n")));
    });
    return qtApp.exec();
}

} // namespace tlx::app
