#pragma once

class QWidget;

namespace tonvel {

// Puts `window` into or out of the stay-on-top band, keeping its place and size, and
// shows it. Asking for the state it already has only makes sure it is shown.
void setTopmost(QWidget* window, bool on);

}  // namespace tonvel
