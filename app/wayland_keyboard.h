#pragma once

#include <QObject>
#include <cstdint>

#include "app/key_legends.h"

struct wl_keyboard;
struct wl_registry;
struct wl_seat;
struct xkb_context;
struct xkb_keymap;

namespace tonvel {

// The legends of the keymap and layout group the Wayland compositor gives our window's
// keyboard. It listens beside the toolkit, on the toolkit's own connection, so it hears a new
// keymap and a layout switch in the same order as the keys they apply to. At each change that
// alters them the legends are read again and `window` is sent a KeyboardLayoutChange event;
// key translation is told whether the keymap's keycodes are places. Off Wayland every legend
// is empty.
class WaylandKeyboard : public QObject, public KeyCaps {
    Q_OBJECT
  public:
    explicit WaylandKeyboard(QObject* window);
    ~WaylandKeyboard() override;
    std::string legend(int keyCode) const override { return legends_.legend(keyCode); }
    bool connected() const { return registry_ != nullptr; }

    // What the compositor sent, handed on by the listeners.
    void seatHas(wl_seat* seat, bool keyboard);
    void keymapArrived(int fd, uint32_t size, bool xkbText);
    void groupArrived(uint32_t group);
    void seatAnnounced(wl_seat* seat);

  private:
    void readLegends();

    QObject* window_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    xkb_context* context_ = nullptr;
    xkb_keymap* keymap_ = nullptr;  // the last one whose keycodes are places
    uint32_t group_ = 0;
    bool positions_ = true;
    LayoutLegends legends_;
};

}  // namespace tonvel
