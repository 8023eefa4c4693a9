#pragma once

namespace tonvel {

inline constexpr const char* kSupportAddress = "support@tonvel.org";
inline constexpr const char* kWebSite = "http://www.tonvel.org";
// The web site's domain turned round: names the desktop entry, its icon and metainfo.
inline constexpr const char* kApplicationId = "org.tonvel.Tonvel";

// The program's version record.
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 30;

}  // namespace tonvel
