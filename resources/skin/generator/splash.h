#pragma once

#include <QImage>

namespace tonvel::skin::art {

inline constexpr int kSplashWidth = 308;
inline constexpr int kSplashHeight = 204;

// The start-up picture, `scale` times 308 x 204, opaque. The
// progress text is drawn over the band at (68, 114), 171 x 13.
QImage splashPicture(int scale);

}  // namespace tonvel::skin::art
