#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tonvel {

// The keyboard the window's key handlers were written for: a key repeats only while it is the
// last key pressed, so a modifier pressed over a held key ends that key's repeat, and keys
// held while the window was away do not repeat when it comes back. Presses reach this class
// as the platform reports them, repeats included, and it says which ones the handlers get.
class KeyboardInput {
  public:
    enum class Press {
        New,     // the key went down
        Repeat,  // the key repeats, as the last key pressed
        Stale,   // a repeat of a key that is no longer the last pressed: dropped
    };

    Press press(int keyCode);
    void release(int keyCode);

    // Every key down now stops repeating until it is released and pressed again.
    void endRepeats();
    // After a time away (a menu, another window): keys missing from `held` were released
    // meanwhile. Without that knowledge, every key counts as released.
    void keepOnly(const std::optional<std::vector<int>>& held);

    bool isDown(int keyCode) const;

  private:
    static bool valid(int keyCode) { return keyCode >= 0 && keyCode < 256; }
    std::array<bool, 256> down_{};
    int lastPressed_ = -1;
};

}  // namespace tonvel
