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
    EXPECT_NE(result.error.find("redirected away"), std::string::npos) << result.error;
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

TEST(QtHttpFetch, SilenceUntilTheDeadlineFails) {
    OneReplyServer server(response("200 OK", "1.0"), 2000);
    QtHttpFetch fetch(200);
    const FetchResult result = fetch.get(server.url("/v.txt"));
    EXPECT_FALSE(result.body);
}

// Sends the head at once, then the body one byte at a time, `gapMs` apart.
class TricklingServer {
  public:
    TricklingServer(QByteArray body, int gapMs) : body_(std::move(body)) {
        QObject::connect(&server_, &QTcpServer::newConnection, [this, gapMs] {
            QTcpSocket* socket = server_.nextPendingConnection();
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(body_.size()) +
                          "\r\nConnection: close\r\n\r\n");
            auto* timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [this, socket] {
                socket->write(body_.mid(sent_++, 1));
                if (sent_ >= body_.size()) socket->disconnectFromHost();
            });
            timer->start(gapMs);
        });
        server_.listen(QHostAddress::LocalHost);
    }
    std::string url() const {
        return "http://127.0.0.1:" + std::to_string(server_.serverPort()) + "/v.txt";
    }

  private:
    QTcpServer server_;
    QByteArray body_;
    int sent_ = 0;
};

TEST(QtHttpFetch, ATricklingReplyFailsAtTheDeadlineOfTheWholeExchange) {
    // Never silent for long, but not complete after the deadline either.
    TricklingServer slow("9.9.9.9", 60);
    QtHttpFetch fetch(250);
    const FetchResult result = fetch.get(slow.url());
    EXPECT_FALSE(result.body) << *result.body;
    EXPECT_NE(result.error.find("no complete reply"), std::string::npos) << result.error;

    TricklingServer quick("9.9", 10);
    ASSERT_TRUE(QtHttpFetch(2000).get(quick.url()).body) << "a reply in time still arrives";
}

TEST(QtHttpFetch, RedirectsStayOnTheServerAsked) {
    OneReplyServer elsewhere(response("200 OK", "9.9"));
    const std::string elsewherePort =
        std::to_string(QUrl(QString::fromStdString(elsewhere.url("/"))).port());
    struct Case {
        const char* what;
        std::string location;  // with {port} for the asked server's port
        bool followed;
    };
    const Case cases[] = {
        {"another port", "http://127.0.0.1:" + elsewherePort + "/v.txt", false},
        {"another host", "http://localhost:{port}/other.txt", false},
        {"same server", "http://127.0.0.1:{port}/other.txt", true},
        {"relative", "/other.txt", true},
    };
    for (const Case& c : cases) {
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
        std::string location = c.location;
        if (const size_t at = location.find("{port}"); at != std::string::npos)
            location.replace(at, 6, std::to_string(server.serverPort()));
        QObject::connect(&server, &QTcpServer::newConnection, [&] {
            QTcpSocket* socket = server.nextPendingConnection();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                const QByteArray request = socket->readAll();
                socket->write(
                    request.startsWith("GET /other.txt ")
                        ? response("200 OK", "1.1")
                        : response("302 Found", "",
                                   "Location: " + QByteArray::fromStdString(location) + "\r\n"));
                socket->disconnectFromHost();
            });
        });
        QtHttpFetch fetch(2000);
        const FetchResult result =
            fetch.get("http://127.0.0.1:" + std::to_string(server.serverPort()) + "/v.txt");
        if (c.followed) {
            ASSERT_TRUE(result.body) << c.what << ": " << result.error;
            EXPECT_EQ(*result.body, "1.1") << c.what;
        } else {
            EXPECT_FALSE(result.body) << c.what;
        }
    }
}

}  // namespace
}  // namespace tonvel
