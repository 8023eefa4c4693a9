#pragma once

#include <cstdint>

class QKeyEvent;

namespace tonvel {

struct TranslatedKey {
    int keyCode = 0;  // virtual-key code, 0 when the key means nothing to the piano
    int shift = 0;    // Shift 1, Ctrl 2, Alt 4
};

// Virtual-key code of an X keycode (evdev code + 8), by the key's position only, so the
// piano plays the same on every layout. Keypad keys give their digit codes whatever
// the NumLock state. 0 for a key without a code.
int virtualKeyFromX11Keycode(uint32_t keycode);

// `altGrMask` is the X state bit AltGr sets; AltGr reports as Ctrl+Alt, as on the keyboards
// the shortcuts were made for, so that it never plays notes or steps the instrument.
TranslatedKey translateKeyEvent(const QKeyEvent& event, uint32_t altGrMask);
// With the AltGr bit of the display's current layout.
TranslatedKey translateKeyEvent(const QKeyEvent& event);

}  // namespace tonvel
