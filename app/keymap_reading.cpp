#include "app/keymap_reading.h"

#include <xkbcommon/xkbcommon.h>

#include <memory>

namespace tonvel {

namespace {

// Keys of the main block by the names every position-numbered keymap gives them.
struct NamedKey {
    uint32_t keycode;
    const char* name;
};
constexpr NamedKey kMainBlock[] = {{24, "AD01"}, {38, "AC01"}, {52, "AB01"}, {61, "AB10"}};

}  // namespace

bool keycodesArePositions(const std::function<std::string(uint32_t keycode)>& nameOf) {
    for (const NamedKey& key : kMainBlock)
        if (nameOf(key.keycode) != key.name) return false;
    return true;
}

bool keycodesArePositions(xkb_keymap* keymap) {
    if (!keymap) return true;
    return keycodesArePositions([keymap](uint32_t keycode) {
        const char* name = xkb_keymap_key_get_name(keymap, keycode);
        return std::string(name ? name : "");
    });
}

void readLegends(LayoutLegends& legends, xkb_keymap* keymap, uint32_t group) {
    const std::unique_ptr<xkb_state, decltype(&xkb_state_unref)> state(
        keymap ? xkb_state_new(keymap) : nullptr, xkb_state_unref);
    if (!state) {
        legends.clear();
        return;
    }
    xkb_state_update_mask(state.get(), 0, 0, 0, 0, 0, group);
    legends.read([&](uint32_t keycode) -> uint32_t {
        const xkb_layout_index_t layout = xkb_state_key_get_layout(state.get(), keycode);
        if (layout == XKB_LAYOUT_INVALID) return 0;
        const xkb_keysym_t* syms = nullptr;
        const int count = xkb_keymap_key_get_syms_by_level(keymap, keycode, layout, 0, &syms);
        return count == 1 ? syms[0] : 0;
    });
}

}  // namespace tonvel
