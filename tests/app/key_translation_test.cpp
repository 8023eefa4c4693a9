#include "app/key_translation.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon.h>

#include <QKeyEvent>

namespace tonvel {
namespace {

TEST(KeyTranslation, X11KeycodesGiveThePianosCodesByPosition) {
    struct Case {
        uint32_t keycode;
        int virtualKey;
    };
    const std::vector<Case> cases = {
        {52, 'Z'}, {59, 188}, {24, 'Q'}, {34, 219}, {47, 186},  {61, 191}, {60, 190},
        {20, 189}, {11, '2'}, {19, '0'}, {10, '1'}, {106, 111}, {63, 106}, {82, 109},
        {79, 103}, {87, 97},  {88, 98},  {89, 99},  {90, 96},   {67, 112}, {70, 115},
        {71, 116}, {75, 120}, {113, 37}, {114, 39}, {110, 36},  {115, 35}, {111, 38},
        {116, 40}, {64, 18},  {50, 16},  {37, 17},  {0, 0},     {255, 0},  {300, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(virtualKeyFromX11Keycode(c.keycode), c.virtualKey) << c.keycode;
}

TEST(KeyTranslation, ModifierKeysCarryTheirOwnBitOnPressOnly) {
    struct Case {
        QEvent::Type type;
        int key;
        Qt::KeyboardModifiers mods;
        int shift;
    };
    const std::vector<Case> cases = {
        {QEvent::KeyPress, Qt::Key_Alt, Qt::NoModifier, 4},
        {QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier, 0},
        {QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier | Qt::ShiftModifier, 1},
        {QEvent::KeyPress, Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier, 3},
        {QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier, 2},
        {QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier, 0},
    };
    for (const auto& c : cases) {
        const QKeyEvent event(c.type, c.key, c.mods);
        EXPECT_EQ(translateKeyEvent(event).shift, c.shift) << c.key;
    }
}

// AltGr (the X state bit of ISO_Level3_Shift, 0x80 on common layouts) is Ctrl+Alt, so that
// AltGr with a letter or an arrow neither plays nor steps the instrument.
TEST(KeyTranslation, AltGrCountsAsCtrlAndAlt) {
    struct Case {
        const char* what;
        QEvent::Type type;
        int key;
        Qt::KeyboardModifiers mods;
        quint32 nativeState;
        uint32_t altGrMask;
        int keyCode;
        int shift;
    };
    const std::vector<Case> cases = {
        {"AltGr pressed", QEvent::KeyPress, Qt::Key_AltGr, Qt::NoModifier, 0, 0x80, 18, 6},
        {"AltGr released", QEvent::KeyRelease, Qt::Key_AltGr, Qt::NoModifier, 0x80, 0x80, 18, 0},
        {"AltGr+Q", QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, 0x80, 0x80, 'Q', 6},
        {"AltGr+Right", QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, 0x80, 0x80, 39, 6},
        {"Shift+AltGr+Q", QEvent::KeyPress, Qt::Key_Q, Qt::ShiftModifier, 0x81, 0x80, 'Q', 7},
        {"Q released under AltGr", QEvent::KeyRelease, Qt::Key_Q, Qt::NoModifier, 0x80, 0x80, 'Q',
         6},
        {"a layout without AltGr", QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, 0x80, 0, 'Q', 0},
        {"NumLock is no modifier", QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, 0x10, 0x80, 'Q', 0},
    };
    for (const auto& c : cases) {
        const QKeyEvent event(c.type, c.key, c.mods, 0, 0, c.nativeState);
        const TranslatedKey key = translateKeyEvent(event, c.altGrMask);
        EXPECT_EQ(key.keyCode, c.keyCode) << c.what;
        EXPECT_EQ(key.shift, c.shift) << c.what;
    }
}

TEST(KeyTranslation, KeypadKeysArePadsWhateverNumLock) {
    const QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::KeypadModifier);
    EXPECT_EQ(translateKeyEvent(home).keyCode, 103);
    const QKeyEvent seven(QEvent::KeyPress, Qt::Key_7, Qt::KeypadModifier);
    EXPECT_EQ(translateKeyEvent(seven).keyCode, 103);
    const QKeyEvent mainHome(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
    EXPECT_EQ(translateKeyEvent(mainHome).keyCode, 36);
}

// A keyboard with a keymap of its own numbers its keys as it likes: its Z may come as keycode 9,
// an ordinary keyboard's Escape.
TEST(KeyTranslation, KeysAreReadByPlaceOrBySymbolAsTheKeymapAsks) {
    const QKeyEvent z(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, 9, XKB_KEY_z, 0);
    EXPECT_EQ(translateKeyEvent(z, 0, KeyReading::ByPosition).keyCode, 27);
    EXPECT_EQ(translateKeyEvent(z, 0, KeyReading::BySymbol).keyCode, 'Z');
}

}  // namespace
}  // namespace tonvel
