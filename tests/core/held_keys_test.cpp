#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

constexpr int Z = 'Z', C = 'C', X = 'X', T = 'T', kKeypad2 = 98, kRight = 39;
constexpr int kShiftKey = 16, kCtrlKey = 17, kAltKey = 18;

// Keys as the platform reports them: presses (repeats included) and releases.
class HeldKeys : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        midi.names = {"Port A", "Port B"};
        start();
        piano->state.baseKey = 0;
        window.held = std::vector<int>{};
        midi.clearSent();
    }
    void down(int key, int shift = 0) {
        piano->keyPressed(key, shift);
        heldNow.push_back(key);
        window.held = heldNow;
    }
    void repeat(int key, int shift = 0) { piano->keyPressed(key, shift); }
    void up(int key, int shift = 0) {
        std::erase(heldNow, key);
        window.held = heldNow;
        piano->keyReleased(key, shift);
    }
    // Let go of `key` while a menu or another window has the keyboard.
    void upElsewhere(int key) {
        std::erase(heldNow, key);
        window.held = heldNow;
    }
    std::vector<int> heldNow;
};

TEST_F(HeldKeys, AModifierOverAHeldKeyEndsItsRepeat) {
    struct Case {
        const char* what;
        int key;
        int modifierKey;
        int shift;
        std::vector<std::string> sent;
    };
    const std::vector<Case> cases = {
        {"X then Ctrl would exit", X, kCtrlKey, kCtrlMask, {"90 34 7F", "80 34 00"}},
        {"C then Alt would open the instrument menu",
         C,
         kAltKey,
         kAltMask,
         {"90 36 7F", "80 36 00"}},
        {"keypad 2 then Ctrl would open its pad's menu",
         kKeypad2,
         kCtrlKey,
         kCtrlMask,
         {"99 24 7F", "89 24 00"}},
        {"T then Ctrl would toggle stay on top", T, kCtrlKey, kCtrlMask, {"90 4A 7F", "80 4A 00"}},
        {"C then AltGr would open the instrument menu",
         C,
         kAltKey,
         kCtrlMask | kAltMask,
         {"90 36 7F", "80 36 00"}},
    };
    for (const auto& c : cases) {
        midi.clearSent();
        dialogs.menus.clear();
        window.topmostCalls.clear();
        down(c.key);
        repeat(c.key);
        down(c.modifierKey, c.shift);
        for (int i = 0; i < 5; ++i) repeat(c.key, c.shift);
        up(c.key, c.shift);
        up(c.modifierKey);
        EXPECT_EQ(window.closeCount, 0) << c.what;
        EXPECT_TRUE(dialogs.menus.empty()) << c.what;
        EXPECT_TRUE(window.topmostCalls.empty()) << c.what;
        EXPECT_EQ(midi.sentHex(), c.sent) << c.what;
    }
}

TEST_F(HeldKeys, AKeyPressedWithTheModifierStillRunsItsCommand) {
    down(kCtrlKey, kCtrlMask);
    down(X, kCtrlMask);
    EXPECT_EQ(window.closeCount, 1);
}

TEST_F(HeldKeys, TheLastKeyPressedRepeatsAsBefore) {
    down(kRight);
    repeat(kRight);
    repeat(kRight);
    EXPECT_EQ(piano->state.currentProgram, 18 + 3);
    down(Z);  // another key takes the repeat
    repeat(kRight);
    EXPECT_EQ(piano->state.currentProgram, 18 + 3);
}

TEST_F(HeldKeys, AMenuReleasesHeldNotesAndKeysLetGoInsideItPlayAgain) {
    down(Z);
    down(kKeypad2);
    std::vector<std::string> sentWhileOpen;
    dialogs.whileMenuOpen = [&] {
        sentWhileOpen = midi.sentHex();
        upElsewhere(Z);
        upElsewhere(kKeypad2);
    };
    piano->lblInstrument_Click();
    EXPECT_EQ(sentWhileOpen,
              (std::vector<std::string>{"90 32 7F", "99 24 7F", "80 32 00", "89 24 00"}));
    EXPECT_FALSE(piano->shpKeys[0].visible);
    EXPECT_EQ(piano->shpDrums[10].fillColor, kPadAtRest);
    midi.clearSent();
    down(Z);
    up(Z);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 32 7F", "80 32 00"}));
}

TEST_F(HeldKeys, AKeyStillHeldAfterAMenuDoesNotSoundAgainWhenItRepeats) {
    down(Z);
    piano->lblInstrument_Click();
    midi.clearSent();
    repeat(Z);
    repeat(Z);
    up(Z);
    EXPECT_TRUE(midi.silent());
    EXPECT_EQ(midi.sentHex(), std::vector<std::string>{});
}

TEST_F(HeldKeys, WithoutWordFromThePlatformKeysCountAsReleasedAfterAMenu) {
    down(Z);
    window.held.reset();
    piano->lblInstrument_Click();
    midi.clearSent();
    repeat(Z);  // now taken for a new press
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 32 7F"}));
}

TEST_F(HeldKeys, KeysLetGoInAnotherWindowPlayWhenTheWindowComesBack) {
    down(Z);
    piano->Form_LostFocus();
    upElsewhere(Z);
    piano->keyboardReturned();
    midi.clearSent();
    down(Z);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 32 7F"}));

    piano->Form_LostFocus();  // still held when the window comes back: no second note
    piano->keyboardReturned();
    midi.clearSent();
    repeat(Z);
    EXPECT_TRUE(midi.sent.empty());
}

TEST_F(HeldKeys, ADeviceChangeEndsSoundingNotesOnTheOldDevice) {
    ASSERT_EQ(midi.openDevice, -1);
    down(Z);
    down(kKeypad2);
    piano->mnuDevice_Click(1);  // port A
    EXPECT_EQ(midi.sentHexTo(-1),
              (std::vector<std::string>{"90 32 7F", "99 24 7F", "80 32 00", "89 24 00"}));
    EXPECT_EQ(midi.openDevice, 0);
    repeat(Z);
    up(Z);
    up(kKeypad2);
    EXPECT_TRUE(midi.silent());
    for (const auto& message : midi.sentHexTo(0)) EXPECT_NE(message.substr(0, 1), "8") << message;
}

TEST_F(HeldKeys, RefreshingTheSameDeviceLeavesHeldNotesToTheirRelease) {
    piano->mnuDevice_Click(1);
    down(Z);
    midi.clearSent();
    piano->mnuDevice_Click(1);
    piano->mnu_refresh_Click();
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"B0 00 00", "B0 20 00", "C0 12", "B0 00 00",
                                                        "B0 20 00", "C0 12"}));
    up(Z);
    EXPECT_EQ(midi.sentHex().back(), "80 32 00");
}

TEST_F(HeldKeys, ShiftHeldOverAKeyStillLetsItsReleaseStopTheNote) {
    down(Z);
    down(kShiftKey, kShiftMask);
    repeat(Z, kShiftMask);
    up(Z, kShiftMask);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 32 7F", "80 32 00"}));
}

}  // namespace
}  // namespace tonvel
