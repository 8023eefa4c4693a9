#include "app/qt_window_system.h"

#include <QWindow>

namespace tonvel {

void QtWindowSystem::setTopmost(bool on) {
    if (!window_) return;
    const QRect geometry = window_->geometry();
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    window_->setGeometry(geometry);
    window_->show();
}

void QtWindowSystem::minimise() {
    if (window_) window_->showMinimized();
}

void QtWindowSystem::turnNumLockOn() {}

void QtWindowSystem::formDrag() {
    if (window_ && window_->windowHandle()) window_->windowHandle()->startSystemMove();
}

void QtWindowSystem::closeMainWindow() {
    if (window_) window_->close();
}

ScreenPoint QtWindowSystem::mainWindowPosition() {
    if (!window_) return {};
    return {window_->x(), window_->y()};
}

}  // namespace tonvel
