#include "app/GuiMain.h"

#include "Version.h"
#include "addin/qt/AddinConnection.h"
#include "cli/InstallFolder.h"
#include "app/WelcomeBar.h"
#include "host/Application.h"
#include "host/qt/MainWindow.h"
#include "host/qt/WebServer.h"
#include "platform/Log.h"
#include "platform/ShippedData.h"
#include "platform/qt/QtPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QMessageBox>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string_view>
#include <unistd.h>

namespace tlx::app {

namespace fs = std::filesystem;

namespace {

// Qt's own command line options (QGuiApplication, QApplication) and whether they take a value.
// Qt removes them from the arguments; they are let through here for it.
std::optional<bool> qtOptionTakesValue(const std::string& arg) {
    static constexpr std::string_view withValue[] = {
        "-platform",        "-platformpluginpath", "-platformtheme", "-plugin",  "-qmljsdebugger",
        "-qwindowgeometry", "-qwindowicon",        "-qwindowtitle",  "-display", "-geometry",
        "-style",           "-stylesheet",         "-session",       "-name",    "-title",
        "-visual"};
    static constexpr std::string_view flags[] = {"-reverse", "-widgetcount", "-nograb", "-dograb",
                                                 "-sync"};
    const std::string_view name = std::string_view(arg).substr(0, arg.find('='));
    for (const auto option : withValue)
        if (name == option)
            return name.size() == arg.size(); // "-style=fusion" carries its value
    for (const auto option : flags)
        if (arg == option)
            return false;
    return std::nullopt;
}

} // namespace

std::optional<GuiOptions> parseGuiArgs(const Args& args, std::string& error) {
    GuiOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--install") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "--install needs a folder";
                return std::nullopt;
            }
            options.install = fs::path(args[++i]);
        } else if (arg.rfind("--install=", 0) == 0) {
            if (arg.size() == 10) {
                error = "--install needs a folder";
                return std::nullopt;
            }
            options.install = fs::path(arg.substr(10));
        } else if (const auto takesValue = qtOptionTakesValue(arg)) {
            if (arg == "-platform" || arg.rfind("-platform=", 0) == 0)
                options.platformGiven = true;
            if (*takesValue && ++i >= args.size()) {
                error = arg + " needs a value";
                return std::nullopt;
            }
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
    if (options.web) {
        std::error_code fsError;
        const auto status = fs::status(*options.web, fsError);
        if (fs::is_regular_file(status)) {
            if (options.page) {
                error = options.web->string() + " is a page, not a web folder";
                return std::nullopt;
            }
            options.page = fs::absolute(*options.web, fsError);
            options.web = options.page->parent_path();
        } else if (!fs::is_directory(status)) {
            error = "no command or web folder named " + options.web->string();
            return std::nullopt;
        }
    }
    return options;
}

bool HaveDisplay(const char* display, const char* waylandDisplay, const char* qpaPlatform,
                 bool platformGiven) {
    const auto set = [](const char* value) { return value && *value; };
    return platformGiven || set(display) || set(waylandDisplay) || set(qpaPlatform);
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

namespace {

// While Qt connects to the display: a display that cannot be opened ends the program with one
// line and exit code 2 instead of Qt's abort and its advice on platform plugins. The warnings
// that come before that end are left out; every other message goes on as Qt would print it.
void startupMessageHandler(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (type == QtFatalMsg) {
        const char* display = std::getenv("DISPLAY");
        std::cerr << "tamberlux: cannot open a window on the display "
                  << (display && *display ? display : "(none)")
                  << " (is it running and may this user use it?)\n";
        std::_Exit(2);
    }
    if (message.contains(QLatin1String("could not connect to display")) ||
        message.contains(QLatin1String("Could not load the Qt platform plugin")))
        return;
    qInstallMessageHandler(nullptr);
    qt_message_output(type, context, message);
    qInstallMessageHandler(startupMessageHandler);
}

// The log of the page editor, in the XDG state folder; the file of the last run is kept once
// as tamberlux.log.1 when it has grown large.
void startLogFile() {
    const auto path = LogFileFor(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
    if (!path)
        return;
    constexpr std::uintmax_t kRotateSize = 1024 * 1024;
    std::error_code error;
    if (fs::file_size(*path, error) > kRotateSize && !error) {
        fs::rename(*path, fs::path(path->string() + ".1"), error);
        if (error)
            LogWarning("startLogFile", path->string() + ": " + error.message());
    }
    SetLogFile(path->string());
}

} // namespace

std::string ChromiumFlags(const char* given) {
    std::string flags = given ? given : "";
    const auto first = flags.find_first_not_of(" \t");
    if (first == std::string::npos)
        flags = "--disable-gpu";
    std::istringstream words(flags);
    for (std::string word; words >> word;)
        if (word.rfind("--js-flags", 0) == 0)
            return flags;
    return flags + " --js-flags=--expose-gc";
}

int runGui(int argc, char** argv) {
    QElapsedTimer startup;
    startup.start();

    // Everything that can be refused is refused before Qt is started, so that a wrong command
    // never tries to open a window.
    const Args args(argv + std::min(argc, 1), argv + argc);
    std::string error;
    const auto options = parseGuiArgs(args, error);
    if (!options) {
        std::cerr << "tamberlux: " << error << "\nTry 'tamberlux --help'.\n";
        return 2;
    }
    if (!HaveDisplay(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                     std::getenv("QT_QPA_PLATFORM"), options->platformGiven)) {
        std::cerr << "tamberlux: there is no display to open the page editor on (DISPLAY is "
                     "not set); the commands of 'tamberlux --help' need none.\n";
        return 2;
    }

    startLogFile();
    // Chromium's sandbox cannot run as root; for every other user it stays on. Without a GPU
    // (virtual displays) web views draw in software.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            QByteArray::fromStdString(ChromiumFlags(std::getenv("QTWEBENGINE_CHROMIUM_FLAGS"))));
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    qInstallMessageHandler(startupMessageHandler);
    QApplication qtApp(argc, argv);
    qInstallMessageHandler(nullptr);
    QApplication::setApplicationName(QStringLiteral("Tamberlux"));
    QApplication::setApplicationVersion(QStringLiteral(TLX_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(kDesktopId)));

    QStringList notes;
    const InstallFolderChoice install = PrepareInstallFolder(options->install);
    if (!install.message.empty()) {
        LogWarning("runGui", install.message);
        notes << toQString(install.message);
    }

    std::string sampleNote;
    const fs::path web = options->web ? *options->web
                                      : prepareSampleWeb(ThisProgramsShippedData().sampleWeb,
                                                         std::getenv("HOME"), sampleNote);
    if (!sampleNote.empty()) {
        LogWarning("runGui", sampleNote);
        notes << toQString(sampleNote);
    }

    // The program's settings (the welcome's dismissal); outlives the window that uses them.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tamberlux"),
                       QStringLiteral("tamberlux"));
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

    // The welcome of the first start, in a row of its own under the toolbars.
    if (WelcomeWanted(settings)) {
        std::string ignored;
        const fs::path sampleCopy =
            prepareSampleWeb(ThisProgramsShippedData().sampleWeb, std::getenv("HOME"), ignored);
        window.addToolBarBreak(Qt::TopToolBarArea);
        window.addToolBar(Qt::TopToolBarArea,
                          new WelcomeBar(toQString(sampleCopy.string()),
                                         install.folder ? toQString(install.folder->string())
                                                        : QStringLiteral("(none)"),
                                         settings, &window));
    }

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
