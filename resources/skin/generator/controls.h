#pragma once

#include <QPainter>

namespace tonvel::skin::art {

// Everything the program lays its controls over: window buttons, status line, label
// panels, bank and transport buttons, slider tracks, with their engraved captions.
void paintControls(QPainter& p);

}  // namespace tonvel::skin::art
