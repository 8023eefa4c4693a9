#include "app/xkb_key_caps.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <cstring>

#include "app/key_translation.h"
#include "app/keymap_reading.h"

#ifdef TONVEL_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace tonvel {

#ifdef TONVEL_HAVE_X11

namespace {

// The keysym of the key's first shift level in `group`, brought into the key's own groups
// the way the server does for typing.
KeySym keysymInGroup(XkbDescPtr xkb, uint32_t keycode, int group) {
    if (keycode < xkb->min_key_code || keycode > xkb->max_key_code) return NoSymbol;
    const auto key = static_cast<KeyCode>(keycode);
    const int groups = XkbKeyNumGroups(xkb, key);
    if (groups == 0) return NoSymbol;
    if (group >= groups) {
        const unsigned char info = XkbKeyGroupInfo(xkb, key);
        switch (XkbOutOfRangeGroupAction(info)) {
            case XkbClampIntoRange:
                group = groups - 1;
                break;
            case XkbRedirectIntoRange:
                group = XkbOutOfRangeGroupNumber(info);
                if (group >= groups) group = 0;
                break;
            default:
                group %= groups;
        }
    }
    return XkbKeySymEntry(xkb, key, 0, group);
}

}  // namespace

XkbKeyCaps::XkbKeyCaps(QObject* window) : window_(window) {
    // Elsewhere the X server, if any, is not the one that types into our window: on Wayland
    // it is only Xwayland's, whose keymap follows its own windows.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    int error = 0, major = XkbMajorVersion, minor = XkbMinorVersion, reason = 0;
    display_ = XkbOpenDisplay(nullptr, &eventBase_, &error, &major, &minor, &reason);
    if (!display_) return;
    const unsigned long maps = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
    XkbSelectEvents(display_, XkbUseCoreKbd, maps, maps);
    XkbSelectEventDetails(display_, XkbUseCoreKbd, XkbStateNotify, XkbGroupStateMask,
                          XkbGroupStateMask);
    readLayout();
    notifier_ =
        std::make_unique<QSocketNotifier>(ConnectionNumber(display_), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { readEvents(); });
    // Events may already wait in the queue from the first reading.
    readEvents();
}

XkbKeyCaps::~XkbKeyCaps() {
    notifier_.reset();
    if (display_) XCloseDisplay(display_);
}

void XkbKeyCaps::readLayout() {
    XkbStateRec state{};
    XkbDescPtr xkb = nullptr;
    if (XkbGetState(display_, XkbUseCoreKbd, &state) == Success)
        xkb = XkbGetMap(display_, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (!xkb) {
        legends_.clear();
        return;
    }
    // A keyboard with a keymap of its own is read by symbol and leaves the labels to the
    // keyboard that was there before it.
    const bool positions = XkbGetNames(display_, XkbKeyNamesMask, xkb) != Success ||
                           keycodesArePositions([&](uint32_t keycode) {
                               if (!xkb->names || !xkb->names->keys ||
                                   keycode < xkb->min_key_code || keycode > xkb->max_key_code)
                                   return std::string();
                               const char* name = xkb->names->keys[keycode].name;
                               return std::string(name, strnlen(name, XkbKeyNameLength));
                           });
    setKeycodesArePositions(positions);
    if (positions) {
        legends_.read([&](uint32_t keycode) {
            return static_cast<uint32_t>(keysymInGroup(xkb, keycode, state.group));
        });
    }
    XkbFreeKeyboard(xkb, 0, True);
}

void XkbKeyCaps::readEvents() {
    bool read = false;
    for (;;) {
        bool changed = false;
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            changed = changed || event.type == eventBase_;
        }
        if (!changed) break;
        // Reading the layout may queue further changes; go round until none came.
        readLayout();
        read = true;
    }
    if (read) QCoreApplication::postEvent(window_, new QEvent(QEvent::KeyboardLayoutChange));
}

#else

XkbKeyCaps::XkbKeyCaps(QObject* window) : window_(window) {}
XkbKeyCaps::~XkbKeyCaps() = default;
void XkbKeyCaps::readLayout() {}
void XkbKeyCaps::readEvents() {}

#endif

}  // namespace tonvel
