#pragma once

#include <vector>

#include "shell/accessible_names.h"
#include "windows/about.h"
#include "windows/splash.h"
#include "windows/update.h"

namespace tonvel {

// The painted controls of the smaller windows, as a screen reader finds them.
std::vector<AccessibleItem> splashItems(const splash& model);
std::vector<AccessibleItem> aboutItems(const about& model);
std::vector<AccessibleItem> updateItems(const tonvel::update& model);

}  // namespace tonvel
