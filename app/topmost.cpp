#include "app/topmost.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace tonvel {

bool stayOnTopAvailable() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void setTopmost(QWidget* window, bool on) {
    if (!window) return;
    if (stayOnTopAvailable() && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != on) {
        Qt::WindowFlags flags = window->windowFlags();
        flags.setFlag(Qt::WindowStaysOnTopHint, on);
        if (QWindow* handle = window->windowHandle()) {
            // QWidget::setWindowFlags would hide and recreate the native window, which
            // flickers and moves the focus; the platform window can change in place.
            window->overrideWindowFlags(flags);
            handle->setFlags(flags);
        } else {
            window->setWindowFlags(flags);  // nothing on screen yet
        }
    }
    if (!window->isVisible()) window->show();
}

}  // namespace tonvel
