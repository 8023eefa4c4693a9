#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "windows/http_fetch.h"

namespace tonvel::testing {

// Answers from a queue (an empty queue fails, like a dead connection) and records the URLs.
class FakeHttpFetch : public HttpFetch {
  public:
    std::vector<std::string> urls;
    std::deque<FetchResult> replies;
    // Runs while the fetch "waits", to tick timers or press keys meanwhile.
    std::function<void()> whileWaiting;

    FetchResult get(const std::string& url) override;

    static FetchResult body(const std::string& text) { return {text, ""}; }
    static FetchResult failure() { return {std::nullopt, "connection refused"}; }
};

}  // namespace tonvel::testing
