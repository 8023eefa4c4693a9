// A keyboard and a mouse for a Wayland compositor that has none (a headless one), through the
// virtual keyboard and virtual pointer protocols, so that a test plays the program as a person
// would. Reads one command a line from its standard input until it ends:
//   down CODE | up CODE | tap CODE [MS]   a key by X keycode (evdev code + 8), held MS ms (50)
//   keyboard LAYOUT    keys from now on come from a keyboard with an ordinary evdev keymap of
//                      that layout ("us" at the start)
//   keyboard own       ... from a keyboard with a keymap of its own, as input tools upload:
//                      codes 9, 10, 11, 12 type z, x, m, q
//   group N            the keyboard reports layout group N, as a layout switch key would
//   move X Y           the pointer to (X, Y) of the output
//   press | release    the left mouse button
//   sleep MS
// and prints "done" for each once the compositor has taken it.
//   tonvel_wlinput OUTPUT_WIDTH OUTPUT_HEIGHT
#include <linux/input-event-codes.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "virtual-keyboard-unstable-v1-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboards = nullptr;
    zwlr_virtual_pointer_manager_v1* pointers = nullptr;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
            uint32_t version) {
    auto* g = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !g->seat) {
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0) {
        g->keyboards = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        g->pointers = static_cast<zwlr_virtual_pointer_manager_v1*>(wl_registry_bind(
            registry, name, &zwlr_virtual_pointer_manager_v1_interface, version < 2 ? version : 2));
    }
}

void globalRemoved(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener = {global, globalRemoved};

uint32_t nowMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// The keymap of a keyboard that numbers its keys from 9 in the order it needs them.
constexpr char kOwnKeymap[] = R"keymap(xkb_keymap {
xkb_keycodes "(unnamed)" { minimum = 8; maximum = 12; <K1> = 9; <K2> = 10; <K3> = 11; <K4> = 12; };
xkb_types "(unnamed)" { include "complete" };
xkb_compatibility "(unnamed)" { include "complete" };
xkb_symbols "(unnamed)" { key <K1> {[z]}; key <K2> {[x]}; key <K3> {[m]}; key <K4> {[q]}; };
};
)keymap";

// One virtual keyboard with its keymap and the modifier state that keymap gives its keys.
class Keyboard {
  public:
    Keyboard(wl_display* display, const Globals& g, xkb_context* context, xkb_keymap* keymap)
        : display_(display), keymap_(keymap), state_(xkb_state_new(keymap)) {
        keyboard_ = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(g.keyboards, g.seat);
        char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
        const size_t size = std::strlen(text) + 1;
        const int fd = memfd_create("keymap", MFD_CLOEXEC);
        if (fd < 0 || write(fd, text, size) != static_cast<ssize_t>(size)) {
            std::perror("keymap");
            std::exit(1);
        }
        std::free(text);
        zwp_virtual_keyboard_v1_keymap(keyboard_, XKB_KEYMAP_FORMAT_TEXT_V1, fd,
                                       static_cast<uint32_t>(size));
        close(fd);
        (void)context;
        wl_display_roundtrip(display_);
    }
    ~Keyboard() {
        zwp_virtual_keyboard_v1_destroy(keyboard_);
        xkb_state_unref(state_);
        xkb_keymap_unref(keymap_);
    }

    void key(uint32_t xkbCode, bool down) {
        xkb_state_update_key(state_, xkbCode, down ? XKB_KEY_DOWN : XKB_KEY_UP);
        zwp_virtual_keyboard_v1_key(
            keyboard_, nowMs(), xkbCode - 8,
            down ? WL_KEYBOARD_KEY_STATE_PRESSED : WL_KEYBOARD_KEY_STATE_RELEASED);
        sendModifiers();
    }

    void group(uint32_t group) {
        xkb_state_update_mask(state_, xkb_state_serialize_mods(state_, XKB_STATE_MODS_DEPRESSED),
                              xkb_state_serialize_mods(state_, XKB_STATE_MODS_LATCHED),
                              xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED), 0, 0, group);
        sendModifiers();
    }

  private:
    void sendModifiers() {
        zwp_virtual_keyboard_v1_modifiers(
            keyboard_, xkb_state_serialize_mods(state_, XKB_STATE_MODS_DEPRESSED),
            xkb_state_serialize_mods(state_, XKB_STATE_MODS_LATCHED),
            xkb_state_serialize_mods(state_, XKB_STATE_MODS_LOCKED),
            xkb_state_serialize_layout(state_, XKB_STATE_LAYOUT_EFFECTIVE));
        wl_display_roundtrip(display_);
    }

    wl_display* display_;
    xkb_keymap* keymap_;
    xkb_state* state_;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_WIDTH OUTPUT_HEIGHT < commands\n", argv[0]);
        return 2;
    }
    const uint32_t width = static_cast<uint32_t>(std::atoi(argv[1]));
    const uint32_t height = static_cast<uint32_t>(std::atoi(argv[2]));
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "wl_input: no Wayland display\n");
        return 1;
    }
    Globals g;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &g);
    wl_display_roundtrip(display);
    if (!g.seat || !g.keyboards || !g.pointers) {
        std::fprintf(stderr, "wl_input: the compositor offers no virtual keyboard or pointer\n");
        return 1;
    }
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(g.pointers, g.seat);
    xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);

    std::map<std::string, std::unique_ptr<Keyboard>> keyboards;
    Keyboard* keyboard = nullptr;
    const auto choose = [&](const std::string& name) {
        auto& slot = keyboards[name];
        if (!slot) {
            xkb_keymap* keymap = nullptr;
            if (name == "own") {
                keymap = xkb_keymap_new_from_string(context, kOwnKeymap, XKB_KEYMAP_FORMAT_TEXT_V1,
                                                    XKB_KEYMAP_COMPILE_NO_FLAGS);
            } else {
                const xkb_rule_names names = {"evdev", "pc105", name.c_str(), "", ""};
                keymap = xkb_keymap_new_from_names(context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
            }
            if (!keymap) {
                std::fprintf(stderr, "wl_input: no keymap %s\n", name.c_str());
                std::exit(1);
            }
            slot = std::make_unique<Keyboard>(display, g, context, keymap);
        }
        keyboard = slot.get();
    };
    choose("us");

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        if (command == "down" || command == "up" || command == "tap") {
            uint32_t code = 0, ms = 50;
            in >> code >> ms;
            if (command != "up") keyboard->key(code, true);
            if (command == "tap") std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            if (command != "down") keyboard->key(code, false);
        } else if (command == "keyboard") {
            std::string name;
            in >> name;
            choose(name);
        } else if (command == "group") {
            uint32_t group = 0;
            in >> group;
            keyboard->group(group);
        } else if (command == "move") {
            uint32_t x = 0, y = 0;
            in >> x >> y;
            zwlr_virtual_pointer_v1_motion_absolute(pointer, nowMs(), x, y, width, height);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else if (command == "press" || command == "release") {
            zwlr_virtual_pointer_v1_button(pointer, nowMs(), BTN_LEFT,
                                           command == "press" ? WL_POINTER_BUTTON_STATE_PRESSED
                                                              : WL_POINTER_BUTTON_STATE_RELEASED);
            zwlr_virtual_pointer_v1_frame(pointer);
        } else if (command == "sleep") {
            int ms = 0;
            in >> ms;
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        } else if (!command.empty()) {
            std::fprintf(stderr, "wl_input: unknown command %s\n", command.c_str());
        }
        if (wl_display_roundtrip(display) < 0) {
            std::fprintf(stderr, "wl_input: the compositor closed the connection\n");
            return 1;
        }
        // One line a command, once the compositor has it: a script can wait for its commands.
        std::puts("done");
        std::fflush(stdout);
    }
    keyboards.clear();
    zwlr_virtual_pointer_v1_destroy(pointer);
    xkb_context_unref(context);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
