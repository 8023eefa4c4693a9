#include "app/qt_http_fetch.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <memory>

namespace tonvel {
namespace {

bool isPlainHttp(const QUrl& url) {
    return url.isValid() && url.scheme() == QLatin1String("http") && !url.host().isEmpty();
}

}  // namespace

FetchResult QtHttpFetch::get(const std::string& url) {
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!isPlainHttp(address)) return {std::nullopt, "not a plain http address: " + url};

    QNetworkRequest request(address);
    request.setTransferTimeout(transferTimeoutMs_);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    const std::unique_ptr<QNetworkReply> reply(manager_.get(request));

    std::string refused;
    QObject::connect(reply.get(), &QNetworkReply::redirected, reply.get(), [&](const QUrl& to) {
        if (isPlainHttp(to)) {
            emit reply->redirectAllowed();
        } else {
            refused = "redirected away from plain http to " + to.toString().toStdString();
            reply->abort();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, reply.get(),
                     [&](qint64 received, qint64) {
                         if (received <= kMaxBodyBytes || !refused.empty()) return;
                         refused = "reply larger than " + std::to_string(kMaxBodyBytes) + " bytes";
                         reply->abort();
                     });

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
