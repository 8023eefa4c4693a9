#pragma once

#include <QDir>

namespace tonvel::skin::art {

// The pixel sizes of the icon the desktop shows for the program (menus, task bar).
inline constexpr int kDesktopIconSizes[] = {16, 32, 48, 64, 128, 256};

// Writes desktop-icon-<size>.png for every size above and desktop-icon.svg, the same
// drawing as vectors, into `dir`.
bool writeDesktopIcons(const QDir& dir);

}  // namespace tonvel::skin::art
