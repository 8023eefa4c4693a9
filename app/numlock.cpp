#include "app/numlock.h"

#include <QGuiApplication>

#ifdef TONVEL_HAVE_X11
// After Qt: Xlib's macros (None, Bool, Status...) would break Qt's headers.
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#endif

namespace tonvel {

#ifdef TONVEL_HAVE_X11
namespace {

Display* x11Display() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

unsigned int numLockMask(Display* display) {
    return XkbKeysymToModifiers(display, XK_Num_Lock);
}

bool isOn(Display* display, unsigned int mask) {
    XkbStateRec state;
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) return false;
    return (state.locked_mods & mask) != 0;
}

}  // namespace

bool numLockIsOn() {
    Display* display = x11Display();
    if (!display) return false;
    const unsigned int mask = numLockMask(display);
    return mask != 0 && isOn(display, mask);
}

bool turnNumLockOn() {
    Display* display = x11Display();
    if (!display) return false;
    const unsigned int mask = numLockMask(display);
    if (mask == 0 || isOn(display, mask)) return false;
    if (!XkbLockModifiers(display, XkbUseCoreKbd, mask, mask)) return false;
    XSync(display, False);  // on by the time we return, for whoever asks the server next
    return true;
}

#else

bool numLockIsOn() {
    return false;
}
bool turnNumLockOn() {
    return false;
}

#endif

}  // namespace tonvel
