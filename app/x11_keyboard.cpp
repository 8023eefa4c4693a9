#include "app/x11_keyboard.h"

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

}  // namespace

bool enableDetectableAutoRepeat() {
    Display* display = x11Display();
    if (!display) return false;
    Bool supported = False;
    XkbSetDetectableAutoRepeat(display, True, &supported);
    XSync(display, False);
    return supported == True;
}

std::optional<std::vector<uint32_t>> x11KeycodesHeld() {
    Display* display = x11Display();
    if (!display) return std::nullopt;
    char keys[32] = {};
    XQueryKeymap(display, keys);
    std::vector<uint32_t> held;
    for (uint32_t code = 0; code < 256; ++code)
        if (keys[code / 8] & (1 << (code % 8))) held.push_back(code);
    return held;
}

uint32_t altGrStateMask() {
    Display* display = x11Display();
    if (!display) return 0;
    return XkbKeysymToModifiers(display, XK_ISO_Level3_Shift);
}

#else

bool enableDetectableAutoRepeat() {
    return false;
}
std::optional<std::vector<uint32_t>> x11KeycodesHeld() {
    return std::nullopt;
}
uint32_t altGrStateMask() {
    return 0;
}

#endif

}  // namespace tonvel
