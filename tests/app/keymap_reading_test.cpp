#include "app/keymap_reading.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <memory>
#include <string>
#include <vector>

namespace tonvel {
namespace {

using Keymap = std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)>;

struct Context {
    std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context{
        xkb_context_new(XKB_CONTEXT_NO_FLAGS), xkb_context_unref};
    Keymap named(const char* layout) {
        const xkb_rule_names names = {"evdev", "pc105", layout, "", ""};
        return {xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS),
                xkb_keymap_unref};
    }
    // As an input tool uploads it: its keys numbered from 9 in the order it needs them.
    Keymap own() {
        static const char text[] = R"keymap(xkb_keymap {
xkb_keycodes "(unnamed)" { minimum = 8; maximum = 10; <K1> = 9; <K2> = 10; };
xkb_types "(unnamed)" { include "complete" };
xkb_compatibility "(unnamed)" { include "complete" };
xkb_symbols "(unnamed)" { key <K1> {[z]}; key <K2> {[m]}; };
};)keymap";
        return {xkb_keymap_new_from_string(context.get(), text, XKB_KEYMAP_FORMAT_TEXT_V1,
                                           XKB_KEYMAP_COMPILE_NO_FLAGS),
                xkb_keymap_unref};
    }
};

TEST(KeymapReading, LegendsFollowTheLayoutAndItsGroup) {
    struct Case {
        const char* layout;
        uint32_t group;
        std::vector<std::string> zSemicolonTwo;  // the keys of Z, semicolon and 2
    };
    const Case cases[] = {
        {"us", 0, {"Z", ";", "2"}},         {"fr", 0, {"W", "M", "\u00C9"}},
        {"de", 0, {"Y", "\u00D6", "2"}},    {"us,fr", 0, {"Z", ";", "2"}},
        {"us,fr", 1, {"W", "M", "\u00C9"}}, {"us,fr", 2, {"Z", ";", "2"}},  // wraps round
    };
    Context xkb;
    for (const Case& c : cases) {
        const Keymap keymap = xkb.named(c.layout);
        ASSERT_TRUE(keymap) << c.layout;
        LayoutLegends legends;
        readLegends(legends, keymap.get(), c.group);
        EXPECT_EQ((std::vector<std::string>{legends.legend('Z'), legends.legend(186),
                                            legends.legend('2')}),
                  c.zSemicolonTwo)
            << c.layout << " group " << c.group;
    }
}

TEST(KeymapReading, OnlyKeymapsNamingTheirKeysByPlaceArePositions) {
    Context xkb;
    for (const char* layout : {"us", "fr", "us,fr", "ru"})
        EXPECT_TRUE(keycodesArePositions(xkb.named(layout).get())) << layout;
    const Keymap own = xkb.own();
    ASSERT_TRUE(own);
    EXPECT_FALSE(keycodesArePositions(own.get()));
    EXPECT_FALSE(keycodesArePositions([](uint32_t) { return std::string("AB01"); }));
}

}  // namespace
}  // namespace tonvel
