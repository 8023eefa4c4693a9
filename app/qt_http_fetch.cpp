#include "app/qt_http_fetch.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace tonvel {
namespace {

bool isPlainHttp(const QUrl& url) {
    return url.isValid() && url.scheme() == QLatin1String("http") && !url.host().isEmpty();
}

// A redirect may move within the server asked, never to another one.
bool isSameServer(const QUrl& to, const QUrl& from) {
    return isPlainHttp(to) && to.host().compare(from.host(), Qt::CaseInsensitive) == 0 &&
           to.port(80) == from.port(80);
}

}  // namespace

FetchResult QtHttpFetch::get(const std::string& url) {
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!isPlainHttp(address)) return {std::nullopt, "not a plain http address: " + url};

    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    const std::unique_ptr<QNetworkReply> reply(manager_.get(request));

    std::string refused;
    QObject::connect(reply.get(), &QNetworkReply::redirected, reply.get(), [&](const QUrl& to) {
        if (isSameServer(to, address)) {
            emit reply->redirectAllowed();
        } else {
            refused = "redirected away from " + address.authority().toStdString() +
                      " over plain http to " + to.toString().toStdString();
            reply->abort();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, reply.get(),
                     [&](qint64 received, qint64) {
                         if (received <= kMaxBodyBytes || !refused.empty()) return;
                         refused = "reply larger than " + std::to_string(kMaxBodyBytes) + " bytes";
                         reply->abort();
                     });

    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply.get(), [&] {
        if (!refused.empty()) return;
        refused = "no complete reply within " + std::to_string(deadlineMs_) + " ms";
        reply->abort();
    });
    deadline.start(deadlineMs_);

    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec();

    if (!refused.empty()) return {std::nullopt, refused};
    if (reply->error() != QNetworkReply::NoError)
        return {std::nullopt, reply->errorString().toStdString()};
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status < 200 || status > 299)
        return {std::nullopt, "unexpected HTTP status " + std::to_string(status)};
    return {reply->readAll().toStdString(), ""};
}

}  // namespace tonvel
