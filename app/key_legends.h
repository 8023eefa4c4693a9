#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "foundation/key_caps.h"

namespace tonvel {

// What a key with `keysym` has printed on it, in UTF-8: its character upper case, the accent
// itself for a dead key, empty for a keysym that types nothing.
std::string legendOfKeysym(uint32_t keysym);

// The legends of one keyboard layout, taken once per change of layout.
class LayoutLegends : public KeyCaps {
  public:
    // `keysymOf` answers, for an X keycode, the keysym the key types without modifiers in
    // the active group (0 for none).
    void read(const std::function<uint32_t(uint32_t keycode)>& keysymOf);
    void clear();
    std::string legend(int keyCode) const override;

  private:
    std::array<std::string, 256> legends_;
};

}  // namespace tonvel
