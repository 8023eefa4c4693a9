#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tonvel {

// The longest reply taken as a published version.
inline constexpr size_t kMaxPublishedVersionLength = 32;

// The fetched reply as a published version: one short line of printable characters, nothing
// else (no line end, no control or non-ASCII byte). Anything else is no version at all.
std::optional<std::string> acceptedVersionReply(std::string_view reply);

enum class VersionVerdict {
    Unreadable,  // the first or last character is not a digit
    MajorUpdate,
    OlderMajor,
    MinorUpdate,
    NothingNew,
};

// Compares a published version, read as its first character (major) and its last character
// (minor), with the installed one.
VersionVerdict compareVersion(std::string_view published, int major, int minor);

}  // namespace tonvel
