#pragma once

#include <QImage>

namespace tonvel::skin::art {

inline constexpr int kSplashWidth = 400;
inline constexpr int kSplashHeight = 250;

// The start-up picture, `scale` times 400 x 250, opaque.
QImage splashPicture(int scale);

}  // namespace tonvel::skin::art
