#pragma once

#include <QPainter>

namespace tonvel::skin::art {

// The felt, the 36 piano keys and the drum-pad block, at the places of skin_layout.h.
void paintKeyboard(QPainter& p);

}  // namespace tonvel::skin::art
