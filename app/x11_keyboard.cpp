#include "app/x11_keyboard.h"

#include <QGuiApplication>

#include "app/numlock.h"

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

bool numLockLocked(Display* display, unsigned int mask) {
    XkbStateRec state;
    if (XkbGetState(display, XkbUseCoreKbd, &state) != Success) return false;
    return (state.locked_mods & mask) != 0;
}

}  // namespace

bool numLockIsOn() {
    Display* display = x11Display();
    if (!display) return false;
    const unsigned int mask = numLockMask(display);
    return mask != 0 && numLockLocked(display, mask);
}

bool turnNumLockOn() {
    Display* display = x11Display();
    if (!display) return false;
    const unsigned int mask = numLockMask(display);
    if (mask == 0 || numLockLocked(display, mask)) return false;
    if (!XkbLockModifiers(display, XkbUseCoreKbd, mask, mask)) return false;
    XSync(display, False);  // on by the time we return, for whoever asks the server next
    return true;
}

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

void syncX11Display() {
    if (Display* display = x11Display()) XSync(display, False);
}

#else

bool numLockIsOn() {
    return false;
}
bool turnNumLockOn() {
    return false;
}
bool enableDetectableAutoRepeat() {
    return false;
}
std::optional<std::vector<uint32_t>> x11KeycodesHeld() {
    return std::nullopt;
}
uint32_t altGrStateMask() {
    return 0;
}
void syncX11Display() {}

#endif

}  // namespace tonvel
