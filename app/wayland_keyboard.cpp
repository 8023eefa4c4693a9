#include "app/wayland_keyboard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>

#ifdef TONVEL_HAVE_WAYLAND
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <cstring>

#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
#include <QtGui/qguiapplication_platform.h>
#else
#include <qpa/qplatformnativeinterface.h>
#endif

#include "app/key_translation.h"
#include "app/keymap_reading.h"
#endif

namespace tonvel {

#ifdef TONVEL_HAVE_WAYLAND

namespace {

wl_display* toolkitDisplay() {
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return nullptr;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    auto* wayland = qGuiApp->nativeInterface<QNativeInterface::QWaylandApplication>();
    return wayland ? wayland->display() : nullptr;
#else
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    return native ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display"))
                  : nullptr;
#endif
}

WaylandKeyboard* self(void* data) {
    return static_cast<WaylandKeyboard*>(data);
}

void keymap(void* data, wl_keyboard*, uint32_t format, int32_t fd, uint32_t size) {
    self(data)->keymapArrived(fd, size, format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1);
}
void enter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void leave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void key(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t) {}
void modifiers(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t group) {
    self(data)->groupArrived(group);
}
void repeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener kKeyboardListener = {keymap, enter, leave, key, modifiers, repeatInfo};

void capabilities(void* data, wl_seat* seat, uint32_t caps) {
    self(data)->seatHas(seat, (caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0);
}
void seatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeatListener = {capabilities, seatName};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
            uint32_t version) {
    if (std::strcmp(interface, wl_seat_interface.name) != 0) return;
    // Version 3 brings what we use and no event we would have to take.
    auto* seat = static_cast<wl_seat*>(
        wl_registry_bind(registry, name, &wl_seat_interface, version < 3 ? version : 3));
    self(data)->seatAnnounced(seat);
}
void globalRemoved(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {global, globalRemoved};

}  // namespace

WaylandKeyboard::WaylandKeyboard(QObject* window) : window_(window) {
    wl_display* display = toolkitDisplay();
    if (!display) return;
    context_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    if (!context_) return;
    // On the default queue, which the toolkit dispatches on this thread with its own events.
    registry_ = wl_display_get_registry(display);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    wl_display_flush(display);
}

WaylandKeyboard::~WaylandKeyboard() {
    if (keyboard_) {
        if (wl_keyboard_get_version(keyboard_) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
            wl_keyboard_release(keyboard_);
        } else {
            wl_keyboard_destroy(keyboard_);
        }
    }
    if (seat_) wl_seat_destroy(seat_);
    if (registry_) wl_registry_destroy(registry_);
    if (keymap_) xkb_keymap_unref(keymap_);
    if (context_) xkb_context_unref(context_);
}

void WaylandKeyboard::seatAnnounced(wl_seat* seat) {
    if (seat_) {  // the first seat is the toolkit's too
        wl_seat_destroy(seat);
        return;
    }
    seat_ = seat;
    wl_seat_add_listener(seat_, &kSeatListener, this);
}

void WaylandKeyboard::seatHas(wl_seat* seat, bool keyboard) {
    if (keyboard && !keyboard_) {
        keyboard_ = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(keyboard_, &kKeyboardListener, this);
    } else if (!keyboard && keyboard_) {
        wl_keyboard_destroy(keyboard_);
        keyboard_ = nullptr;
    }
}

void WaylandKeyboard::keymapArrived(int fd, uint32_t size, bool xkbText) {
    xkb_keymap* keymap = nullptr;
    if (xkbText && size > 0) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            const auto* chars = static_cast<const char*>(text);
            keymap =
                xkb_keymap_new_from_buffer(context_, chars, strnlen(chars, size),
                                           XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
            munmap(text, size);
        }
    }
    close(fd);
    if (!keymap) return;
    // A keyboard with a keymap of its own is read by symbol and leaves the labels to the
    // keyboard that was there before it.
    positions_ = keycodesArePositions(keymap);
    setKeycodesArePositions(positions_);
    if (!positions_) {
        xkb_keymap_unref(keymap);
        return;
    }
    if (keymap_) xkb_keymap_unref(keymap_);
    keymap_ = keymap;
    group_ = 0;
    readLegends();
}

void WaylandKeyboard::groupArrived(uint32_t group) {
    if (!positions_ || !keymap_ || group == group_) return;
    group_ = group;
    readLegends();
}

void WaylandKeyboard::readLegends() {
    tonvel::readLegends(legends_, keymap_, group_);
    QCoreApplication::postEvent(window_, new QEvent(QEvent::KeyboardLayoutChange));
}

#else

WaylandKeyboard::WaylandKeyboard(QObject* window) : window_(window) {}
WaylandKeyboard::~WaylandKeyboard() = default;
void WaylandKeyboard::seatAnnounced(wl_seat*) {}
void WaylandKeyboard::seatHas(wl_seat*, bool) {}
void WaylandKeyboard::keymapArrived(int, uint32_t, bool) {}
void WaylandKeyboard::groupArrived(uint32_t) {}
void WaylandKeyboard::readLegends() {}

#endif

}  // namespace tonvel
