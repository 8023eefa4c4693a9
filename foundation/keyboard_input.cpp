#include "foundation/keyboard_input.h"

#include <algorithm>

namespace tonvel {

KeyboardInput::Press KeyboardInput::press(int keyCode) {
    if (!valid(keyCode)) return Press::New;
    if (!down_[keyCode]) {
        down_[keyCode] = true;
        lastPressed_ = keyCode;
        return Press::New;
    }
    return keyCode == lastPressed_ ? Press::Repeat : Press::Stale;
}

void KeyboardInput::release(int keyCode) {
    if (!valid(keyCode)) return;
    down_[keyCode] = false;
    if (lastPressed_ == keyCode) lastPressed_ = -1;
}

void KeyboardInput::endRepeats() {
    lastPressed_ = -1;
}

void KeyboardInput::keepOnly(const std::optional<std::vector<int>>& held) {
    lastPressed_ = -1;
    for (int k = 0; k < static_cast<int>(down_.size()); ++k) {
        if (!down_[k]) continue;
        down_[k] = held && std::find(held->begin(), held->end(), k) != held->end();
    }
}

bool KeyboardInput::isDown(int keyCode) const {
    return valid(keyCode) && down_[keyCode];
}

}  // namespace tonvel
