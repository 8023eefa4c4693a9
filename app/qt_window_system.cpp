#include "app/qt_window_system.h"

#include <QAccessible>
#include <QGuiApplication>

#include "app/key_translation.h"
#include "app/numlock.h"
#include "app/topmost.h"
#include "app/window_mover.h"
#include "app/x11_keyboard.h"

namespace tonvel {

void QtWindowSystem::setTopmost(bool on) {
    if (window_) tonvel::setTopmost(window_, on);
}

void QtWindowSystem::minimise() {
    if (window_) window_->showMinimized();
}

void QtWindowSystem::turnNumLockOn() {
    // A screen reader's desktop layout reads the keypad with NumLock off; the pads play either way.
    if (QAccessible::isActive()) return;
    tonvel::turnNumLockOn();
}

void QtWindowSystem::formDrag() {
    if (window_) startWindowMove(window_, QGuiApplication::mouseButtons());
}

void QtWindowSystem::closeMainWindow() {
    if (window_) window_->close();
}

ScreenPoint QtWindowSystem::mainWindowPosition() {
    if (!window_) return {};
    return {window_->x(), window_->y()};
}

std::optional<std::vector<int>> QtWindowSystem::keysHeld() {
    const auto keycodes = x11KeycodesHeld();
    if (!keycodes) return std::nullopt;
    std::vector<int> keys;
    for (uint32_t keycode : *keycodes)
        if (const int key = virtualKeyFromX11Keycode(keycode); key != 0) keys.push_back(key);
    return keys;
}

}  // namespace tonvel
