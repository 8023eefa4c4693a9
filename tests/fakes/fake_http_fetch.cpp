#include "fakes/fake_http_fetch.h"

namespace tonvel::testing {

FetchResult FakeHttpFetch::get(const std::string& url) {
    urls.push_back(url);
    if (whileWaiting) whileWaiting();
    if (replies.empty()) return failure();
    FetchResult reply = replies.front();
    replies.pop_front();
    return reply;
}

}  // namespace tonvel::testing
