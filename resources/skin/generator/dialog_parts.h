#pragma once

#include <QImage>

namespace tonvel::skin::art {

// The pictures of the about and update windows, `scale` times their size, with transparent
// corners: the 136 x 21 face under a text button, the 19 x 19 close button and the 32 x 32
// program icon.
QImage buttonFacePicture(bool highlighted, int scale);
QImage closeButtonPicture(bool highlighted, int scale);
QImage programIconPicture(int scale);

}  // namespace tonvel::skin::art
