#include "platform/qt/QtPlatform.h"

#include <QHttpServer>
#include <QHttpServerResponse>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace tlx {
namespace {

std::string local(quint16 port, const char* path) {
    return "http://127.0.0.1:" + std::to_string(port) + path;
}

TEST(QtPlatformHttpGet, ReplyWithStatusAndBody) {
    QHttpServer server;
    server.route("/kqz.ver", [] { return QByteArrayLiteral("1.31\r\nnews"); });
    const quint16 port = server.listen(QHostAddress::LocalHost, 0);
    ASSERT_NE(port, 0);

    QtPlatform platform;
    const HttpReply reply = platform.httpGet(local(port, "/kqz.ver"), 5000);
    EXPECT_TRUE(reply.ok);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "1.31\r\nnews");
    EXPECT_TRUE(reply.error.empty());

    // A missing file is still a reply.
    const HttpReply missing = platform.httpGet(local(port, "/nothing.here"), 5000);
    EXPECT_TRUE(missing.ok);
    EXPECT_EQ(missing.status, 404);
}

TEST(QtPlatformHttpGet, AServerThatNeverAnswersEndsAfterTheTimeOut) {
    // Accepts connections and reads requests, but never writes a byte.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    std::vector<std::unique_ptr<QTcpSocket>> held;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        while (QTcpSocket* socket = silent.nextPendingConnection())
            held.emplace_back(socket);
    });

    QtPlatform platform;
    const std::uint32_t start = platform.tickCount();
    const HttpReply reply = platform.httpGet(local(silent.serverPort(), "/kqz.ver"), 300);
    const std::uint32_t waited = platform.tickCount() - start;
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.status, 0);
    EXPECT_FALSE(reply.error.empty());
    EXPECT_GE(waited, 295u);
    EXPECT_LT(waited, 3000u);
    EXPECT_FALSE(held.empty()); // it did connect
}

TEST(QtPlatformHttpGet, RefusedConnectionAndAddressesThatAreNotWebAddresses) {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    QtPlatform platform;
    const HttpReply refused = platform.httpGet(local(closedPort, "/"), 5000);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.status, 0);
    EXPECT_FALSE(refused.error.empty());

    for (const char* bad : {"file:///etc/passwd", "ftp://example.com/x", "not an address", ""}) {
        SCOPED_TRACE(bad);
        const HttpReply reply = platform.httpGet(bad, 1000);
        EXPECT_FALSE(reply.ok);
        EXPECT_FALSE(reply.error.empty());
    }
}

} // namespace
} // namespace tlx
