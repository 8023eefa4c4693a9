#pragma once

namespace tonvel {

// NumLock through XKB on X11. Elsewhere (Wayland, off screen) there is no way to read or
// set it, so both functions do nothing and report false.

bool numLockIsOn();

// Switches NumLock on if it is off. Returns true when it asked the X server to do so;
// when NumLock is already on nothing is sent.
bool turnNumLockOn();

}  // namespace tonvel
