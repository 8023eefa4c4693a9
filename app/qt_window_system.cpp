#include "app/qt_window_system.h"

#include "app/numlock.h"
#include "app/topmost.h"
#include "app/window_mover.h"

namespace tonvel {

void QtWindowSystem::setTopmost(bool on) {
    if (window_) tonvel::setTopmost(window_, on);
}

void QtWindowSystem::minimise() {
    if (window_) window_->showMinimized();
}

void QtWindowSystem::turnNumLockOn() {
    tonvel::turnNumLockOn();
}

void QtWindowSystem::formDrag() {
    if (window_) startWindowMove(window_);
}

void QtWindowSystem::closeMainWindow() {
    if (window_) window_->close();
}

ScreenPoint QtWindowSystem::mainWindowPosition() {
    if (!window_) return {};
    return {window_->x(), window_->y()};
}

}  // namespace tonvel
