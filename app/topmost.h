#pragma once

class QWidget;

namespace tonvel {

// Whether the desktop lets a program keep its window above the others. Wayland's shell has
// no such request: there the desktop's own window rules decide.
bool stayOnTopAvailable();

// Puts `window` into or out of the stay-on-top band, keeping its place and size, and
// shows it. Asking for the state it already has, or for one the desktop does not offer,
// only makes sure it is shown.
void setTopmost(QWidget* window, bool on);

}  // namespace tonvel
