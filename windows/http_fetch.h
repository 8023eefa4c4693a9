#pragma once

#include <optional>
#include <string>

namespace tonvel {

struct FetchResult {
    std::optional<std::string> body;  // none when the fetch failed
    std::string error;                // what went wrong, for the curious
};

// A plain web GET. It blocks its caller, but the front end keeps handling events (timers,
// painting, input) until the reply has arrived or the fetch has failed.
class HttpFetch {
  public:
    virtual ~HttpFetch() = default;
    virtual FetchResult get(const std::string& url) = 0;
};

}  // namespace tonvel
