#include "app/compositing.h"

#include <QGuiApplication>
#include <string>

#ifdef TONVEL_HAVE_X11
// After Qt: Xlib's macros would break Qt's headers.
#include <X11/Xlib.h>
#endif

namespace tonvel {

bool desktopComposites() {
    const QString platform = QGuiApplication::platformName();
    if (platform.startsWith(QLatin1String("wayland"))) return true;
#ifdef TONVEL_HAVE_X11
    if (platform != QLatin1String("xcb")) return false;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return false;
    // A compositing manager owns this selection for the screen it composes.
    const std::string name = "_NET_WM_CM_S" + std::to_string(DefaultScreen(display));
    const Atom selection = XInternAtom(display, name.c_str(), False);
    return XGetSelectionOwner(display, selection) != 0;
#else
    return false;
#endif
}

}  // namespace tonvel
