#pragma once

#include <QImage>

namespace tonvel::skin::art {

// The main window's skin, `scale` times 522 x 251, opaque. Outside the outline every
// pixel is pure white, inside none is. The outline of the larger version is the 1x
// outline enlarged, so both cut the window the same way.
QImage mainSkin(int scale);

}  // namespace tonvel::skin::art
