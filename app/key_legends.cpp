#include "app/key_legends.h"

#include <xkbcommon/xkbcommon.h>

#include <QChar>
#include <QString>

#include "app/key_translation.h"

namespace tonvel {

namespace {

struct DeadKey {
    uint32_t keysym;
    char32_t accent;
};

// The spacing form of each accent a dead key puts on the next letter.
constexpr DeadKey kDeadKeys[] = {
    {XKB_KEY_dead_grave, U'`'},          {XKB_KEY_dead_acute, U'\u00B4'},
    {XKB_KEY_dead_circumflex, U'^'},     {XKB_KEY_dead_tilde, U'~'},
    {XKB_KEY_dead_macron, U'\u00AF'},    {XKB_KEY_dead_breve, U'\u02D8'},
    {XKB_KEY_dead_abovedot, U'\u02D9'},  {XKB_KEY_dead_diaeresis, U'\u00A8'},
    {XKB_KEY_dead_abovering, U'\u02DA'}, {XKB_KEY_dead_doubleacute, U'\u02DD'},
    {XKB_KEY_dead_caron, U'\u02C7'},     {XKB_KEY_dead_cedilla, U'\u00B8'},
    {XKB_KEY_dead_ogonek, U'\u02DB'},    {XKB_KEY_dead_iota, U'\u037A'},
    {XKB_KEY_dead_belowdot, U'.'},       {XKB_KEY_dead_stroke, U'/'},
    {XKB_KEY_dead_belowcomma, U','},     {XKB_KEY_dead_currency, U'\u00A4'},
};

char32_t characterOf(uint32_t keysym) {
    for (const DeadKey& dead : kDeadKeys)
        if (dead.keysym == keysym) return dead.accent;
    return xkb_keysym_to_utf32(keysym);
}

}  // namespace

std::string legendOfKeysym(uint32_t keysym) {
    const char32_t character = characterOf(keysym);
    // Control characters and blanks print nothing a label could show.
    if (character == 0 || !QChar::isPrint(character) || QChar::isSpace(character)) return {};
    const char32_t upper = QChar::toUpper(character);
    return QString::fromUcs4(&upper, 1).toStdString();
}

void LayoutLegends::read(const std::function<uint32_t(uint32_t keycode)>& keysymOf) {
    clear();
    for (uint32_t keycode = 8; keycode < 256; ++keycode) {
        const int keyCode = virtualKeyFromX11Keycode(keycode);
        if (keyCode == 0 || !legends_[static_cast<size_t>(keyCode)].empty()) continue;
        legends_[static_cast<size_t>(keyCode)] = legendOfKeysym(keysymOf(keycode));
    }
}

void LayoutLegends::clear() {
    for (auto& legend : legends_) legend.clear();
}

std::string LayoutLegends::legend(int keyCode) const {
    if (keyCode < 0 || keyCode >= static_cast<int>(legends_.size())) return {};
    return legends_[static_cast<size_t>(keyCode)];
}

}  // namespace tonvel
