#include "windows/version_check.h"

#include "windows/dialog_parts.h"

namespace tonvel {

std::optional<std::string> acceptedVersionReply(std::string_view reply) {
    if (reply.empty() || reply.size() > kMaxPublishedVersionLength) return std::nullopt;
    for (const char c : reply)
        if (c < 0x20 || c > 0x7E) return std::nullopt;
    return std::string(reply);
}

VersionVerdict compareVersion(std::string_view published, int major, int minor) {
    const auto first = published.empty() ? std::nullopt : digitValue(published.front());
    const auto last = published.empty() ? std::nullopt : digitValue(published.back());
    if (!first || !last) return VersionVerdict::Unreadable;
    if (*first > major) return VersionVerdict::MajorUpdate;
    if (*first < major) return VersionVerdict::OlderMajor;
    return *last > minor ? VersionVerdict::MinorUpdate : VersionVerdict::NothingNew;
}

}  // namespace tonvel
