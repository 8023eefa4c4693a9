#pragma once

#include <QImage>

namespace tonvel::skin::art {

// The glyph of rhythm transport button `index` (play, fill, pause, ending, stop) in white on
// transparent, the size of its button and `scale` times as dense; the program tints it.
QImage transportSymbolPicture(int index, int scale);

}  // namespace tonvel::skin::art
