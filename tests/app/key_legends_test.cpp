#include "app/key_legends.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <map>
#include <string>
#include <vector>

namespace tonvel {
namespace {

// The piano's keys, lowest first, by virtual-key code.
const std::vector<int> kPianoKeys = {90,  83, 88,  68,  67,  86, 71, 66, 72, 78, 74,  77,
                                     188, 76, 190, 186, 191, 81, 50, 87, 51, 69, 52,  82,
                                     84,  54, 89,  55,  85,  73, 57, 79, 48, 80, 189, 219};

// A keymap as X gives it: the unshifted keysym of each keycode of the main block's rows.
using Keymap = std::map<uint32_t, uint32_t>;

Keymap rows(const std::vector<std::pair<uint32_t, std::vector<uint32_t>>>& from) {
    Keymap map;
    for (const auto& [first, keysyms] : from)
        for (size_t i = 0; i < keysyms.size(); ++i)
            map[first + static_cast<uint32_t>(i)] = keysyms[i];
    return map;
}

Keymap us() {
    return rows({
        {10,
         {XKB_KEY_1, XKB_KEY_2, XKB_KEY_3, XKB_KEY_4, XKB_KEY_5, XKB_KEY_6, XKB_KEY_7, XKB_KEY_8,
          XKB_KEY_9, XKB_KEY_0, XKB_KEY_minus, XKB_KEY_equal}},
        {24,
         {XKB_KEY_q, XKB_KEY_w, XKB_KEY_e, XKB_KEY_r, XKB_KEY_t, XKB_KEY_y, XKB_KEY_u, XKB_KEY_i,
          XKB_KEY_o, XKB_KEY_p, XKB_KEY_bracketleft, XKB_KEY_bracketright}},
        {38,
         {XKB_KEY_a, XKB_KEY_s, XKB_KEY_d, XKB_KEY_f, XKB_KEY_g, XKB_KEY_h, XKB_KEY_j, XKB_KEY_k,
          XKB_KEY_l, XKB_KEY_semicolon, XKB_KEY_apostrophe}},
        {52,
         {XKB_KEY_z, XKB_KEY_x, XKB_KEY_c, XKB_KEY_v, XKB_KEY_b, XKB_KEY_n, XKB_KEY_m,
          XKB_KEY_comma, XKB_KEY_period, XKB_KEY_slash}},
    });
}

Keymap fr() {
    return rows({
        {10,
         {XKB_KEY_ampersand, XKB_KEY_eacute, XKB_KEY_quotedbl, XKB_KEY_apostrophe,
          XKB_KEY_parenleft, XKB_KEY_minus, XKB_KEY_egrave, XKB_KEY_underscore, XKB_KEY_ccedilla,
          XKB_KEY_agrave, XKB_KEY_parenright, XKB_KEY_equal}},
        {24,
         {XKB_KEY_a, XKB_KEY_z, XKB_KEY_e, XKB_KEY_r, XKB_KEY_t, XKB_KEY_y, XKB_KEY_u, XKB_KEY_i,
          XKB_KEY_o, XKB_KEY_p, XKB_KEY_dead_circumflex, XKB_KEY_dollar}},
        {38,
         {XKB_KEY_q, XKB_KEY_s, XKB_KEY_d, XKB_KEY_f, XKB_KEY_g, XKB_KEY_h, XKB_KEY_j, XKB_KEY_k,
          XKB_KEY_l, XKB_KEY_m, XKB_KEY_ugrave}},
        {52,
         {XKB_KEY_w, XKB_KEY_x, XKB_KEY_c, XKB_KEY_v, XKB_KEY_b, XKB_KEY_n, XKB_KEY_comma,
          XKB_KEY_semicolon, XKB_KEY_colon, XKB_KEY_exclam}},
    });
}

Keymap de() {
    return rows({
        {10,
         {XKB_KEY_1, XKB_KEY_2, XKB_KEY_3, XKB_KEY_4, XKB_KEY_5, XKB_KEY_6, XKB_KEY_7, XKB_KEY_8,
          XKB_KEY_9, XKB_KEY_0, XKB_KEY_ssharp, XKB_KEY_dead_acute}},
        {24,
         {XKB_KEY_q, XKB_KEY_w, XKB_KEY_e, XKB_KEY_r, XKB_KEY_t, XKB_KEY_z, XKB_KEY_u, XKB_KEY_i,
          XKB_KEY_o, XKB_KEY_p, XKB_KEY_udiaeresis, XKB_KEY_plus}},
        {38,
         {XKB_KEY_a, XKB_KEY_s, XKB_KEY_d, XKB_KEY_f, XKB_KEY_g, XKB_KEY_h, XKB_KEY_j, XKB_KEY_k,
          XKB_KEY_l, XKB_KEY_odiaeresis, XKB_KEY_adiaeresis}},
        {52,
         {XKB_KEY_y, XKB_KEY_x, XKB_KEY_c, XKB_KEY_v, XKB_KEY_b, XKB_KEY_n, XKB_KEY_m,
          XKB_KEY_comma, XKB_KEY_period, XKB_KEY_minus}},
    });
}

std::vector<std::string> pianoLegends(const Keymap& keymap) {
    LayoutLegends legends;
    legends.read([&](uint32_t keycode) {
        const auto found = keymap.find(keycode);
        return found == keymap.end() ? 0u : found->second;
    });
    std::vector<std::string> out;
    for (int key : kPianoKeys) out.push_back(legends.legend(key));
    return out;
}

TEST(KeyLegends, ThePianoKeysReadTheirLayoutsEngravingByPosition) {
    struct Layout {
        const char* name;
        Keymap keymap;
        std::vector<std::string> legends;  // lowest piano key first
    };
    const std::vector<Layout> layouts = {
        {"us", us(), {"Z", "S", "X", "D", "C", "V", "G", "B", "H", "N", "J", "M",
                      ",", "L", ".", ";", "/", "Q", "2", "W", "3", "E", "4", "R",
                      "T", "6", "Y", "7", "U", "I", "9", "O", "0", "P", "-", "["}},
        {"fr", fr(), {"W", "S", "X", "D",      "C", "V", "G",      "B", "H",      "N", "J", ",",
                      ";", "L", ":", "M",      "!", "A", "\u00C9", "Z", "\"",     "E", "'", "R",
                      "T", "-", "Y", "\u00C8", "U", "I", "\u00C7", "O", "\u00C0", "P", ")", "^"}},
        {"de", de(), {"Y", "S", "X", "D",      "C", "V", "G", "B", "H", "N", "J",      "M",
                      ",", "L", ".", "\u00D6", "-", "Q", "2", "W", "3", "E", "4",      "R",
                      "T", "6", "Z", "7",      "U", "I", "9", "O", "0", "P", "\u00DF", "\u00DC"}},
    };
    for (const Layout& layout : layouts)
        EXPECT_EQ(pianoLegends(layout.keymap), layout.legends) << layout.name;
}

TEST(KeyLegends, AKeyTheLayoutLeavesEmptyHasNoLegend) {
    Keymap keymap = us();
    keymap.erase(52);
    keymap[53] = XKB_KEY_Return;
    const auto legends = pianoLegends(keymap);
    EXPECT_EQ(legends[0], "");
    EXPECT_EQ(legends[2], "");
    EXPECT_EQ(legends[4], "C");
    LayoutLegends none;
    EXPECT_EQ(none.legend('Z'), "");
    EXPECT_EQ(none.legend(-1), "");
    EXPECT_EQ(none.legend(256), "");
}

TEST(KeyLegends, KeysymsShowTheirCharacterUpperCaseAndDeadKeysTheirAccent) {
    struct Case {
        uint32_t keysym;
        const char* legend;
    };
    const Case cases[] = {
        {XKB_KEY_a, "A"},
        {XKB_KEY_Z, "Z"},
        {XKB_KEY_eacute, "\u00C9"},
        {XKB_KEY_ssharp, "\u00DF"},  // no single capital on the key
        {XKB_KEY_Cyrillic_ve, "\u0412"},
        {XKB_KEY_Greek_alpha, "\u0391"},
        {0x1000000 + 0x0444, "\u0424"},  // a keysym naming its Unicode character
        {XKB_KEY_7, "7"},
        {XKB_KEY_semicolon, ";"},
        {XKB_KEY_dead_circumflex, "^"},
        {XKB_KEY_dead_acute, "\u00B4"},
        {XKB_KEY_dead_grave, "`"},
        {XKB_KEY_dead_diaeresis, "\u00A8"},
        {XKB_KEY_dead_caron, "\u02C7"},
        {XKB_KEY_space, ""},
        {XKB_KEY_Return, ""},
        {XKB_KEY_Shift_L, ""},
        {XKB_KEY_NoSymbol, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(legendOfKeysym(c.keysym), c.legend) << std::hex << c.keysym;
}

}  // namespace
}  // namespace tonvel
