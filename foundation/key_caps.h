#pragma once

#include <string>

namespace tonvel {

// What the active keyboard layout prints on the computer's keys.
class KeyCaps {
  public:
    virtual ~KeyCaps() = default;
    // The character on the key that sends virtual-key code `keyCode`, upper case, in UTF-8.
    // Empty when the layout cannot tell.
    virtual std::string legend(int keyCode) const = 0;
};

}  // namespace tonvel
