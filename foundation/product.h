#pragma once

namespace tonvel {

inline constexpr const char* kSupportAddress = "support@tonvel.org";
inline constexpr const char* kWebSite = "http://www.tonvel.org";

// The program's version record.
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 30;

}  // namespace tonvel
