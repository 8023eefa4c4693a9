#pragma once

#include <Qt>

class QWidget;

namespace tonvel {

// Moves `window` with the mouse until the left button is released, as a press on a
// title bar would. The window system's own move is used where it offers one; otherwise
// (no window manager) the window follows the pointer itself. Nothing moves unless `held`,
// the buttons down now, has the left one. On Wayland the compositor's move starts at the
// pointer's first move with the button held, not at the press.
void startWindowMove(QWidget* window, Qt::MouseButtons held);

}  // namespace tonvel
