#pragma once

#include <QNetworkAccessManager>

#include "windows/http_fetch.h"

namespace tonvel {

// Plain http GETs that wait in a nested event loop, so the caller's windows stay alive. A reply
// with an error status, a network error, a redirect to another host, port or scheme, a body
// larger than the limit, or an exchange not complete by its deadline is a failure.
class QtHttpFetch : public HttpFetch {
  public:
    // The whole exchange, however slowly the server trickles its reply.
    static constexpr int kDeadlineMs = 30000;
    static constexpr qint64 kMaxBodyBytes = 64 * 1024;

    explicit QtHttpFetch(int deadlineMs = kDeadlineMs) : deadlineMs_(deadlineMs) {}

    FetchResult get(const std::string& url) override;

  private:
    QNetworkAccessManager manager_;
    int deadlineMs_;
};

}  // namespace tonvel
