#pragma once

namespace tonvel {

inline constexpr const char* kSupportAddress = "support@tonvel.org";
inline constexpr const char* kWebSite = "http://www.tonvel.org";

}  // namespace tonvel
