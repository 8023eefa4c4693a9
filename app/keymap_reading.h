#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/key_legends.h"

struct xkb_keymap;

namespace tonvel {

// Whether a keymap numbers its keys by their place on an ordinary keyboard, told by the names
// it gives them (`nameOf` answers a keycode's name, such as "AB01" for the key left of X). A
// keyboard with a keymap of its own (input tools, some on-screen keyboards) numbers its keys in
// the order it needs them, under names of its own.
bool keycodesArePositions(const std::function<std::string(uint32_t keycode)>& nameOf);
bool keycodesArePositions(xkb_keymap* keymap);

// The legends of `keymap` in layout group `group`: what each key types without modifiers, the
// group brought into the key's own groups as typing does.
void readLegends(LayoutLegends& legends, xkb_keymap* keymap, uint32_t group);

}  // namespace tonvel
