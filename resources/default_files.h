#pragma once

#include <string>
#include <string_view>

namespace tonvel {

inline constexpr int kResourceNames = 101;     // ins.ins
inline constexpr int kResourceLicence = 102;   // license.txt
inline constexpr int kResourceSettings = 103;  // con_set.dat, also the first-run marker

// The built-in bytes of a default file; empty for an unknown id.
std::string_view defaultResource(int resourceId);

// Writes the resource to `path` when nothing is there; a link that points nowhere counts as
// something, so its target is never created. Never overwrites, never reports.
void extractDefaultFile(int resourceId, const std::string& path);

}  // namespace tonvel
