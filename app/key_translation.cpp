#include "app/key_translation.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <array>

#include "app/x11_keyboard.h"

namespace tonvel {

namespace {

constexpr int kVkShift = 16, kVkControl = 17, kVkMenu = 18;

constexpr std::array<uint8_t, 256> buildX11Table() {
    std::array<uint8_t, 256> t{};
    t[9] = 27;  // Escape
    const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', '0'};
    for (int i = 0; i < 10; ++i) t[10 + i] = digits[i];
    t[20] = 189;  // minus
    t[21] = 187;  // equal
    t[22] = 8;    // BackSpace
    t[23] = 9;    // Tab
    const char top[] = "QWERTYUIOP";
    for (int i = 0; i < 10; ++i) t[24 + i] = static_cast<uint8_t>(top[i]);
    t[34] = 219;  // bracket left
    t[35] = 221;  // bracket right
    t[36] = 13;   // Return
    t[37] = kVkControl;
    const char home[] = "ASDFGHJKL";
    for (int i = 0; i < 9; ++i) t[38 + i] = static_cast<uint8_t>(home[i]);
    t[47] = 186;  // semicolon
    t[48] = 222;  // apostrophe
    t[49] = 192;  // grave
    t[50] = kVkShift;
    t[51] = 220;  // backslash
    const char bottom[] = "ZXCVBNM";
    for (int i = 0; i < 7; ++i) t[52 + i] = static_cast<uint8_t>(bottom[i]);
    t[59] = 188;  // comma
    t[60] = 190;  // full stop
    t[61] = 191;  // slash
    t[62] = kVkShift;
    t[63] = 106;  // keypad asterisk
    t[64] = kVkMenu;
    t[65] = 32;                                                              // space
    t[66] = 20;                                                              // Caps Lock
    for (int i = 0; i < 10; ++i) t[67 + i] = static_cast<uint8_t>(112 + i);  // F1..F10
    t[77] = 144;                                                             // Num Lock
    t[78] = 145;                                                             // Scroll Lock
    // Keypad digits, with or without NumLock.
    t[79] = 103;
    t[80] = 104;
    t[81] = 105;
    t[82] = 109;  // keypad minus
    t[83] = 100;
    t[84] = 101;
    t[85] = 102;
    t[86] = 107;  // keypad plus
    t[87] = 97;
    t[88] = 98;
    t[89] = 99;
    t[90] = 96;
    t[91] = 110;  // keypad decimal point
    t[94] = 226;  // the key between left Shift and Z
    t[95] = 122;  // F11
    t[96] = 123;  // F12
    t[104] = 13;  // keypad Enter
    t[105] = kVkControl;
    t[106] = 111;  // keypad slash
    t[108] = kVkMenu;
    t[110] = 36;  // Home
    t[111] = 38;  // Up
    t[112] = 33;  // Page Up
    t[113] = 37;  // Left
    t[114] = 39;  // Right
    t[115] = 35;  // End
    t[116] = 40;  // Down
    t[117] = 34;  // Page Down
    t[118] = 45;  // Insert
    t[119] = 46;  // Delete
    t[127] = 19;  // Pause
    t[133] = 91;  // left Windows key
    t[134] = 92;  // right Windows key
    t[135] = 93;  // menu key
    return t;
}

constexpr auto kX11Table = buildX11Table();

// Only the window's thread reads and writes it.
bool keycodesArePositions = true;

// Where no position-based code is available: by the key's meaning.
int virtualKeyFromQtKey(int key, bool keypad) {
    if (keypad) {
        switch (key) {
            case Qt::Key_Insert:
                return 96;
            case Qt::Key_End:
                return 97;
            case Qt::Key_Down:
                return 98;
            case Qt::Key_PageDown:
                return 99;
            case Qt::Key_Left:
                return 100;
            case Qt::Key_Clear:
                return 101;
            case Qt::Key_Right:
                return 102;
            case Qt::Key_Home:
                return 103;
            case Qt::Key_Up:
                return 104;
            case Qt::Key_PageUp:
                return 105;
            case Qt::Key_Asterisk:
                return 106;
            case Qt::Key_Plus:
                return 107;
            case Qt::Key_Minus:
                return 109;
            case Qt::Key_Period:
            case Qt::Key_Delete:
                return 110;
            case Qt::Key_Slash:
                return 111;
            default:
                if (key >= Qt::Key_0 && key <= Qt::Key_9) return 96 + key - Qt::Key_0;
        }
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + key - Qt::Key_A;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + key - Qt::Key_0;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return 112 + key - Qt::Key_F1;
    switch (key) {
        case Qt::Key_Shift:
            return kVkShift;
        case Qt::Key_Control:
            return kVkControl;
        case Qt::Key_Alt:
            return kVkMenu;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Comma:
            return 188;
        case Qt::Key_Period:
            return 190;
        case Qt::Key_Semicolon:
            return 186;
        case Qt::Key_Slash:
            return 191;
        case Qt::Key_Minus:
            return 189;
        case Qt::Key_BracketLeft:
            return 219;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_Escape:
            return 27;
        default:
            return 0;
    }
}

}  // namespace

int virtualKeyFromX11Keycode(uint32_t keycode) {
    return keycode < kX11Table.size() ? kX11Table[keycode] : 0;
}

TranslatedKey translateKeyEvent(const QKeyEvent& event) {
    // Mod3..Mod5: where the layout may keep AltGr. Asked only then, as layouts change.
    constexpr uint32_t kHighModifiers = 0xE0;
    const bool maybeAltGr =
        event.key() == Qt::Key_AltGr || (event.nativeModifiers() & kHighModifiers) != 0;
    return translateKeyEvent(event, maybeAltGr ? altGrStateMask() : 0);
}

void setKeycodesArePositions(bool positions) {
    keycodesArePositions = positions;
}

TranslatedKey translateKeyEvent(const QKeyEvent& event, uint32_t altGrMask) {
    static const bool keycodesFromXkb = QGuiApplication::platformName() == "xcb" ||
                                        QGuiApplication::platformName().startsWith("wayland");
    const bool byPosition = keycodesFromXkb && keycodesArePositions && event.nativeScanCode() != 0;
    return translateKeyEvent(event, altGrMask,
                             byPosition ? KeyReading::ByPosition : KeyReading::BySymbol);
}

TranslatedKey translateKeyEvent(const QKeyEvent& event, uint32_t altGrMask, KeyReading reading) {
    TranslatedKey out;
    out.keyCode = reading == KeyReading::ByPosition
                      ? virtualKeyFromX11Keycode(event.nativeScanCode())
                      : virtualKeyFromQtKey(event.key(), event.modifiers() & Qt::KeypadModifier);
    const auto mods = event.modifiers();
    if (mods & Qt::ShiftModifier) out.shift |= 1;
    if (mods & Qt::ControlModifier) out.shift |= 2;
    if (mods & Qt::AltModifier) out.shift |= 4;
    const bool altGrKey = event.key() == Qt::Key_AltGr;
    if ((altGrMask != 0 && (event.nativeModifiers() & altGrMask) != 0) ||
        mods.testFlag(Qt::GroupSwitchModifier))
        out.shift |= 6;
    if (altGrKey) out.keyCode = kVkMenu;
    // A modifier's own press carries it, and its release arrives with it already off.
    const int own = altGrKey                    ? 6
                    : out.keyCode == kVkShift   ? 1
                    : out.keyCode == kVkControl ? 2
                    : out.keyCode == kVkMenu    ? 4
                                                : 0;
    if (event.type() == QEvent::KeyPress) {
        out.shift |= own;
    } else {
        out.shift &= ~own;
    }
    return out;
}

}  // namespace tonvel
