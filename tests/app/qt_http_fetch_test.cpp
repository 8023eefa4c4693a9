#include "app/qt_http_fetch.h"

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace tonvel {
namespace {

// Answers every request with `reply`, after `delayMs`.
class OneReplyServer {
  public:
    OneReplyServer(QByteArray reply, int delayMs = 0) : reply_(std::move(reply)) {
        QObject::connect(&server_, &QTcpServer::newConnection, [this, delayMs] {
            QTcpSocket* socket = server_.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, delayMs] {
                request_ += socket->readAll();
                if (!request_.contains("\r\n\r\n")) return;
                QTimer::singleShot(delayMs, socket, [this, socket] {
                    socket->write(reply_);
                    socket->disconnectFromHost();
                });
            });
        });
        server_.listen(QHostAddress::LocalHost);
    }
    std::string url(const char* path) const {
        return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + path;
    }
    const QByteArray& request() const { return request_; }

  private:
    QTcpServer server_;
    QByteArray reply_;
    QByteArray request_;
};

QByteArray response(const char* status, const QByteArray& body,
                    const QByteArray& extraHeaders = {}) {
    return QByteArray("HTTP/1.1 ") + status +
           "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n" +
           extraHeaders + "\r\n" + body;
}

TEST(QtHttpFetch, ReturnsTheBodyOfAnOkReply) {
    OneReplyServer server(response("200 OK", "1.1"));
    QtHttpFetch fetch;
    const FetchResult result = fetch.get(server.url("/product/piano_curver.txt"));
    ASSERT_TRUE(result.body) << result.error;
    EXPECT_EQ(*result.body, "1.1");
    EXPECT_TRUE(server.request().startsWith("GET /product/piano_curver.txt HTTP/1.1\r\n"));
}

TEST(QtHttpFetch, KeepsALineEndOfTheBody) {
    OneReplyServer server(response("200 OK", "1.1\r\n"));
    QtHttpFetch fetch;
    const FetchResult result = fetch.get(server.url("/v.txt"));
    ASSERT_TRUE(result.body) << result.error;
    EXPECT_EQ(*result.body, "1.1\r\n");
}

TEST(QtHttpFetch, ErrorStatusesFail) {
    for (const char* status : {"404 Not Found", "500 Internal Server Error", "204 No Content"}) {
        const bool empty = std::string(status).starts_with("204");
        OneReplyServer server(response(status, empty ? "" : "<html>oops 1</html>"));
        QtHttpFetch fetch;
        const FetchResult result = fetch.get(server.url("/v.txt"));
        if (empty) {
            ASSERT_TRUE(result.body) << "2xx is a success, even without a body";
            EXPECT_EQ(*result.body, "");
        } else {
            EXPECT_FALSE(result.body) << status;
            EXPECT_FALSE(result.error.empty()) << status;
        }
    }
}

TEST(QtHttpFetch, RefusedConnectionFails) {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    QtHttpFetch fetch;
    const FetchResult result =
        fetch.get("http://127.0.0.1:" + std::to_string(closedPort) + "/v.txt");
    EXPECT_FALSE(result.body);
    EXPECT_FALSE(result.error.empty());
}

TEST(QtHttpFetch, OnlyPlainHttpAddressesAreFetched) {
    QtHttpFetch fetch;
    for (const char* url : {"https://127.0.0.1:1/v.txt", "ftp://127.0.0.1/v.txt",
                            "file:///etc/hostname", "not a url", ""}) {
        const FetchResult result = fetch.get(url);
        EXPECT_FALSE(result.body) << url;
    }
}

TEST(QtHttpFetch, RedirectAwayFromPlainHttpFails) {
    OneReplyServer server(response("302 Found", "", "Location: https://127.0.0.1:1/v.txt\r\n"));
    QtHttpFetch fetch;
    const FetchResult result = fetch.get(server.url("/v.txt"));
    EXPECT_FALSE(result.body);
    EXPECT_NE(result.error.find("plain http"), std::string::npos) << result.error;
}

TEST(QtHttpFetch, AnOversizedReplyFails) {
    OneReplyServer server(response("200 OK", QByteArray(QtHttpFetch::kMaxBodyBytes + 1, '1')));
    QtHttpFetch fetch;
    EXPECT_FALSE(fetch.get(server.url("/v.txt")).body);
}

TEST(QtHttpFetch, TimersRunWhileTheReplyIsAwaited) {
    OneReplyServer server(response("200 OK", "2.0"), 300);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);
    QtHttpFetch fetch;
    const FetchResult result = fetch.get(server.url("/v.txt"));
    ASSERT_TRUE(result.body) << result.error;
    EXPECT_EQ(*result.body, "2.0");
    EXPECT_GE(ticks, 5);
}

TEST(QtHttpFetch, SilenceLongerThanTheTransferTimeoutFails) {
    OneReplyServer server(response("200 OK", "1.0"), 2000);
    QtHttpFetch fetch(200);
    const FetchResult result = fetch.get(server.url("/v.txt"));
    EXPECT_FALSE(result.body);
}

}  // namespace
}  // namespace tonvel
