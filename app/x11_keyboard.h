#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tonvel {

// What the X server knows about the keyboard, through XKB. Off X11 (Wayland, off screen)
// each function reports that it cannot tell.

// Asks the server to send only presses while a key is held, instead of release and press
// pairs that cannot be told apart from real ones when they arrive in separate reads.
// False when the server does not support it.
bool enableDetectableAutoRepeat();

// The X keycodes held down right now; none off X11.
std::optional<std::vector<uint32_t>> x11KeycodesHeld();

// The state bit that AltGr (ISO_Level3_Shift) sets on this layout; 0 when none.
uint32_t altGrStateMask();

// Waits until the X server has handled every request sent so far; nothing off X11.
void syncX11Display();

}  // namespace tonvel
