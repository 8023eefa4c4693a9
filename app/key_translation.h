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

// How a key event's code is read: by the key's place (the keycode of an ordinary keyboard), or,
// for a keyboard with a keymap of its own, by the symbol its keymap gives the key.
enum class KeyReading { ByPosition, BySymbol };

// `altGrMask` is the X state bit AltGr sets; AltGr reports as Ctrl+Alt, as on the keyboards
// the shortcuts were made for, so that it never plays notes or steps the instrument.
TranslatedKey translateKeyEvent(const QKeyEvent& event, uint32_t altGrMask, KeyReading reading);
// By position where the window system gives keycodes of an ordinary keyboard.
TranslatedKey translateKeyEvent(const QKeyEvent& event, uint32_t altGrMask);
// With the AltGr bit of the display's current layout.
TranslatedKey translateKeyEvent(const QKeyEvent& event);

// Told by whoever follows the keyboard's keymap: whether its keycodes are an ordinary
// keyboard's places (true until told otherwise).
void setKeycodesArePositions(bool positions);

}  // namespace tonvel
