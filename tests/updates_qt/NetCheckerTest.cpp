// The news and update check against a real HTTP server on the loopback.

#include "updates/qt/NetChecker.h"

#include "common/QtTestEnvironment.h"
#include "common/ScriptedPlatform.h"
#include "host/Application.h"
#include "updates/TestFiles.h"
#include "updates/UpdateCheckFiles.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace tlx {
namespace {

using namespace tlx::testing;

const auto* const kQt = ::testing::AddGlobalTestEnvironment(new testing::QtTestEnvironment);

const QByteArray kConnect = "Official Mirvane Connect File\r\n";
const QByteArray kNews = "[UPDATENEWS {News-7} Tutorials UPDATENEWS]\r\n"
                         "[NEWFLASH {Flash-3} Buttons NEWFLASH]\r\n";
const QByteArray kSites = "[Home]{https://www.vornemedia.example/} Sites Update File\r\n"
                          "[Ruffle]{https://ruffle.rs/}";
const std::string kOldSites = "\"[Old]{https://old.example/}\"\r\n";

// The endpoint: each path answers with what the test put in `replies`, a missing one with 404.
struct Endpoint {
    struct Reply {
        QByteArray body;
        QByteArray location; // a redirect when set
    };
    QHttpServer server;
    quint16 port = 0;
    std::map<QString, Reply> replies;
    std::map<QString, int> hits;

    Endpoint() {
        for (const char* path : {"/Mirvane/fpconnect.asp", "/Mirvane/fpnews.asp",
                                 "/Mirvane/TextFiles/sites.txt", "/Mirvane/elsewhere.asp"}) {
            const QString key = QString::fromLatin1(path);
            server.route(key, [this, key] {
                ++hits[key];
                const auto it = replies.find(key);
                if (it == replies.end())
                    return QHttpServerResponse(QHttpServerResponder::StatusCode::NotFound);
                if (!it->second.location.isEmpty()) {
                    QHttpServerResponse redirect(QHttpServerResponder::StatusCode::Found);
                    redirect.addHeader("Location", it->second.location);
                    return redirect;
                }
                return QHttpServerResponse(it->second.body);
            });
        }
        port = server.listen(QHostAddress::LocalHost, 0);
    }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port) + "/Mirvane/"; }
    void answerAll() {
        replies = {{"/Mirvane/fpconnect.asp", {kConnect, {}}},
                   {"/Mirvane/fpnews.asp", {kNews, {}}},
                   {"/Mirvane/TextFiles/sites.txt", {kSites, {}}}};
    }
};

struct NetCheckerTest : ::testing::Test {
    TempFolder temp;
    ScriptedPlatform platform;
    AddinContext context{platform, temp.path().string()};

    // Runs one check as the menu does; true when it ended (window closed) within 15 s.
    bool check(const std::string& base, int timeoutMs = 10000) {
        context.StatusFlag = std::string(kStatusDoCheckFiles);
        NetCheckerOptions options;
        options.baseAddress = base;
        options.timeoutMs = timeoutMs;
        QPointer<NetChecker> checker = new NetChecker(context, options);
        EXPECT_EQ(checker->windowTitle(), QString("Updates Check...."));
        EXPECT_TRUE(checker->isVisible());
        EXPECT_EQ(checker->lblStatus->text(), QString("Connecting..."));
        QEventLoop loop;
        QObject::connect(checker, &QObject::destroyed, &loop, &QEventLoop::quit);
        QTimer::singleShot(15000, &loop, &QEventLoop::quit);
        checker->DoCheck();
        if (checker)
            loop.exec();
        return checker.isNull();
    }
    std::vector<std::string> questions() const {
        std::vector<std::string> asked;
        for (const auto& call : platform.callsOf("messageBox"))
            asked.push_back(call.args.at(0));
        return asked;
    }
};

TEST_F(NetCheckerTest, FirstCheckAsksBothQuestionsAndKeepsTheVersionsEvenOnNo) {
    Endpoint endpoint;
    ASSERT_NE(endpoint.port, 0);
    endpoint.answerAll();
    platform.messageBoxAnswers = {MsgResult::Yes, MsgResult::No};
    ASSERT_TRUE(check(endpoint.base()));
    EXPECT_EQ(questions(),
              (std::vector<std::string>{std::string(kNewsQuestion), std::string(kFlashQuestion)}));
    const auto box = platform.callsOf("messageBox").at(0).args;
    EXPECT_EQ(box, (std::vector<std::string>{std::string(kNewsQuestion), "4", "64", "Mirvane"}));
    ASSERT_EQ(platform.callsOf("shellOpen").size(), 1u); // only the Yes opens the site
    EXPECT_EQ(platform.callsOf("shellOpen")[0].args[0], endpoint.base());
    EXPECT_EQ(readFile(temp.path() / "kqz.ver"), "\"Flash-3\"\r\n\"News-7\"\r\n");
    EXPECT_EQ(readFile(temp.path() / "Sites.KQZ"), "\"" + kSites.toStdString() + "\"\r\n");

    // The same announcements again: nothing is asked, the answer No included.
    ASSERT_TRUE(check(endpoint.base()));
    EXPECT_EQ(questions().size(), 2u);
    EXPECT_EQ(readFile(temp.path() / "kqz.ver"), "\"Flash-3\"\r\n\"News-7\"\r\n");
}

TEST_F(NetCheckerTest, ARedirectInTheHostIsFollowedAndASitesReplyWithoutItsMarkerChangesNothing) {
    Endpoint endpoint;
    endpoint.answerAll();
    endpoint.replies["/Mirvane/fpconnect.asp"].location =
        QByteArray::fromStdString(endpoint.base()) + "elsewhere.asp";
    endpoint.replies["/Mirvane/elsewhere.asp"].body = kConnect;
    endpoint.replies["/Mirvane/TextFiles/sites.txt"].body = "[Evil]{https://evil.example/}";
    writeFile(temp.path() / "Sites.KQZ", kOldSites);
    ASSERT_TRUE(check(endpoint.base()));
    EXPECT_EQ(endpoint.hits["/Mirvane/elsewhere.asp"], 1);
    EXPECT_EQ(readFile(temp.path() / "Sites.KQZ"), kOldSites);
    EXPECT_EQ(questions().size(), 2u); // the news still counted
}

TEST_F(NetCheckerTest, EveryFailureEndsQuietlyWithNothingWrittenAndTheWindowClosed) {
    Endpoint endpoint;
    // Accepts and reads, never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    std::vector<std::unique_ptr<QTcpSocket>> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = silent.nextPendingConnection())
            held.emplace_back(socket);
    });
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    const std::string silentBase =
        "http://127.0.0.1:" + std::to_string(silent.serverPort()) + "/Mirvane/";
    const std::string closedBase = "http://127.0.0.1:" + std::to_string(closedPort) + "/Mirvane/";
    const QByteArray elsewhere =
        "http://localhost:" + QByteArray::number(endpoint.port) + "/Mirvane/elsewhere.asp";

    struct Case {
        const char* what;
        std::function<void()> arrange;
        std::string base;
    };
    const Case cases[] = {
        {"a reply without the connection marker",
         [&] { endpoint.replies["/Mirvane/fpconnect.asp"].body = "Welcome to our site"; },
         endpoint.base()},
        {"no server listening", [] {}, closedBase},
        {"a server that never answers", [] {}, silentBase},
        {"a reply of 5 MiB",
         [&] { endpoint.replies["/Mirvane/fpconnect.asp"].body = kConnect.repeated(5 << 20 >> 5); },
         endpoint.base()},
        {"a redirect to another host over http",
         [&] {
             endpoint.replies["/Mirvane/fpconnect.asp"].location = elsewhere;
             endpoint.replies["/Mirvane/elsewhere.asp"].body = kConnect;
         },
         endpoint.base()},
    };
    writeFile(temp.path() / "Sites.KQZ", kOldSites);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        endpoint.answerAll();
        endpoint.hits.clear();
        c.arrange();
        const auto before = snapshot(temp.path());
        EXPECT_TRUE(check(c.base, 1000));
        EXPECT_TRUE(platform.callsOf("messageBox").empty());
        EXPECT_EQ(snapshot(temp.path()), before);
        EXPECT_EQ(endpoint.hits["/Mirvane/fpnews.asp"], 0);
        EXPECT_EQ(endpoint.hits["/Mirvane/elsewhere.asp"], 0);
    }
    EXPECT_FALSE(held.empty()); // the silent server was reached
}

TEST_F(NetCheckerTest, TheStatusBarSaysHowACheckWithoutQuestionsEndedWithinItsTimeLimit) {
    const auto app = host::Application::create();
    context.Editor = HostEditor(app);
    Endpoint endpoint;
    QTcpServer silent; // accepts, never answers
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    const auto base = [](quint16 port) {
        return "http://127.0.0.1:" + std::to_string(port) + "/Mirvane/";
    };
    struct Case {
        const char* what;
        std::string base;
        std::string note;
        std::size_t questions;
    };
    const Case cases[] = {
        {"nothing listening", base(closedPort), "Could not reach 127.0.0.1", 0},
        // Each request may take 10 s, the whole check only 1.5 s.
        {"a server that never answers", base(silent.serverPort()), "Could not reach 127.0.0.1", 0},
        {"news to ask about", endpoint.base(), "", 2},
        {"the same news again", endpoint.base(), "No news from the update server", 0},
    };
    endpoint.answerAll();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app->SetStatusText("");
        platform.calls.clear();
        context.StatusFlag = std::string(kStatusDoCheckFiles);
        NetCheckerOptions options;
        options.baseAddress = c.base;
        options.timeoutMs = 10000;
        options.checkLimitMs = 1500;
        QPointer<NetChecker> checker = new NetChecker(context, options);
        // In the middle of the screen, whole.
        const QRect area = checker->screen()->availableGeometry();
        EXPECT_TRUE(area.contains(checker->geometry())) << checker->x() << "," << checker->y();
        EXPECT_LE((checker->geometry().center() - area.center()).manhattanLength(), 4);
        QElapsedTimer clock;
        clock.start();
        QEventLoop loop;
        QObject::connect(checker, &QObject::destroyed, &loop, &QEventLoop::quit);
        QTimer::singleShot(8000, &loop, &QEventLoop::quit);
        checker->DoCheck();
        if (checker)
            loop.exec();
        EXPECT_TRUE(checker.isNull());
        EXPECT_LT(clock.elapsed(), 4000);
        EXPECT_EQ(app->statusText(), c.note);
        EXPECT_EQ(questions().size(), c.questions);
    }
}

} // namespace
} // namespace tlx
