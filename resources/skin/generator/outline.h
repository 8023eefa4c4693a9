#pragma once

#include <QImage>
#include <QPainterPath>

namespace tonvel::skin::art {

// The body's outline in skin pixels: a dome over the window buttons, straight sides and
// a rounded base.
QPainterPath outlinePath();

// 255 inside the outline, 0 outside, one byte per skin pixel (Format_Grayscale8). A pixel
// is inside when its centre is.
QImage outlineMask();

}  // namespace tonvel::skin::art
