#pragma once

#include <QPainter>

namespace tonvel::skin::art {

// The lacquered body inside the outline, its chrome rim, the console recess for the
// controls and keys, and the logo. Coordinates are skin pixels.
void paintBody(QPainter& p);

}  // namespace tonvel::skin::art
