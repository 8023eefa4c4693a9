// The update check over any reply: only a short printable line is ever shown or announced, and
// the verdict follows its first and last characters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fakes/fake_http_fetch.h"
#include "fakes/recording_services.h"
#include "foundation/product.h"
#include "fuzz/fuzz_check.h"
#include "windows/update.h"
#include "windows/version_check.h"

namespace {

bool printableLine(const std::string& text) {
    for (const char c : text)
        if ((c < 0x20 || c > 0x7E) && c != '\r') return false;  // CR joins a message's lines
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    const auto accepted = tonvel::acceptedVersionReply(reply);
    if (accepted) {
        FUZZ_CHECK(*accepted == reply);
        FUZZ_CHECK(!reply.empty() && reply.size() <= tonvel::kMaxPublishedVersionLength);
    }

    tonvel::testing::RecordingDialogs dialogs;
    tonvel::testing::RecordingShell shell;
    tonvel::testing::FakeHttpFetch http;
    http.replies.push_back(tonvel::testing::FakeHttpFetch::body(reply));
    tonvel::update window{{dialogs, shell, http}};
    window.Form_Load();
    window.Form_KeyDown('U', 0);

    FUZZ_CHECK(dialogs.messages.size() == 1);
    FUZZ_CHECK(printableLine(dialogs.messages[0].text));
    FUZZ_CHECK(window.canClose() && window.TBCB.enabled && !window.tmrTimeout.enabled);
    const auto verdict =
        accepted ? tonvel::compareVersion(*accepted, tonvel::kVersionMajor, tonvel::kVersionMinor)
                 : tonvel::VersionVerdict::Unreadable;
    if (verdict == tonvel::VersionVerdict::Unreadable) {
        FUZZ_CHECK(window.lblUpdate.caption == "Error while connecting server");
        FUZZ_CHECK(dialogs.messages[0].icon == tonvel::MessageIcon::Critical);
        return 0;
    }
    FUZZ_CHECK(window.lblUpdate.caption == reply);
    const int major = reply.front() - '0';
    const int minor = reply.back() - '0';
    const bool update = major > tonvel::kVersionMajor ||
                        (major == tonvel::kVersionMajor && minor > tonvel::kVersionMinor);
    FUZZ_CHECK(window.BL[2].visible == update);
    FUZZ_CHECK((dialogs.messages[0].icon == tonvel::MessageIcon::Warning) == update);
    return 0;
}
