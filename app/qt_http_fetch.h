#pragma once

#include <QNetworkAccessManager>

#include "windows/http_fetch.h"

namespace tonvel {

// Plain http GETs that wait in a nested event loop, so the caller's windows stay alive. A reply
// with an error status, a network error, a redirect away from plain http, silence for longer
// than the transfer time-out or a body larger than the limit is a failure.
class QtHttpFetch : public HttpFetch {
  public:
    static constexpr int kTransferTimeoutMs = 30000;
    static constexpr qint64 kMaxBodyBytes = 64 * 1024;

    explicit QtHttpFetch(int transferTimeoutMs = kTransferTimeoutMs)
        : transferTimeoutMs_(transferTimeoutMs) {}

    FetchResult get(const std::string& url) override;

  private:
    QNetworkAccessManager manager_;
    int transferTimeoutMs_;
};

}  // namespace tonvel
