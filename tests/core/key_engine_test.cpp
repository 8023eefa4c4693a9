#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

constexpr int Z = 'Z', S = 'S', M = 'M', Q = 'Q';
constexpr int kLeftBracket = 219, kKeypad0 = 96, kKeypad2 = 98, kShiftKey = 16;

class KeyEngine : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        start();
        piano->state.baseKey = 0;
        midi.clearSent();
    }
};

TEST_F(KeyEngine, AutoRepeatPlaysOneNoteAndLightsBothShapes) {
    press(Z);
    press(Z);
    press(Z);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 32 7F"}));
    EXPECT_TRUE(piano->shpKeys[0].visible);
    EXPECT_TRUE(piano->wkeys[0].visible);
    release(Z);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 32 7F", "80 32 00"}));
    EXPECT_FALSE(piano->shpKeys[0].visible);
    EXPECT_FALSE(piano->wkeys[0].visible);
}

TEST_F(KeyEngine, BlackKeyHasOnlyOneLight) {
    press(S);
    EXPECT_TRUE(piano->shpKeys[1].visible);
    EXPECT_FALSE(piano->wkeys[1].exists);
    EXPECT_FALSE(piano->wkeys[1].visible);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 33 7F"}));
}

TEST_F(KeyEngine, ModifiedKeyDoesNotPlayButItsReleaseStillStopsTheNote) {
    press(Z, kShiftMask);
    EXPECT_TRUE(midi.sent.empty());
    EXPECT_FALSE(piano->shpKeys[0].visible);
    press(Z);
    press(kShiftKey, kShiftMask);
    release(Z, kShiftMask);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 32 7F", "80 32 00"}));
}

TEST_F(KeyEngine, HeldKeysSoundIndependently) {
    press(Z);
    press(M);
    release(M);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 32 7F", "90 3D 7F", "80 3D 00"}));
    EXPECT_TRUE(piano->shpKeys[0].visible);
    EXPECT_FALSE(piano->shpKeys[11].visible);
}

TEST_F(KeyEngine, NoteNumbersFollowTheBaseNote) {
    struct Case {
        int baseKey;
        int key;
        std::string noteOn;
    };
    const std::vector<Case> cases = {
        {0, Z, "90 32 7F"},
        {11, kLeftBracket, "90 60 7F"},
        {4, Z, "90 36 7F"},
        {0, Q, "90 43 7F"},
    };
    for (const auto& c : cases) {
        midi.clearSent();
        piano->state.baseKey = static_cast<int16_t>(c.baseKey);
        tap(c.key);
        ASSERT_FALSE(midi.sent.empty());
        EXPECT_EQ(midi.sentHex().front(), c.noteOn) << c.baseKey << " " << c.key;
    }
}

TEST_F(KeyEngine, ReleaseStopsTheNoteThatWasStarted) {
    press(Z);
    piano->state.baseKey = 1;
    release(Z);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 32 7F", "80 32 00"}));

    midi.clearSent();
    press(kKeypad2);
    piano->state.drumPadNotes[10] = 50;
    release(kKeypad2);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"99 24 7F", "89 24 00"}));
}

TEST_F(KeyEngine, VelocityZeroIsSentUnchanged) {
    piano->state.noteVelocity = 0;
    press(Z);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 32 00"}));
}

TEST_F(KeyEngine, DrumPadLightsAndPlaysOnChannelTen) {
    press(kKeypad2);
    EXPECT_EQ(piano->shpDrums[10].fillColor, kPadSounding);
    release(kKeypad2);
    EXPECT_EQ(piano->shpDrums[10].fillColor, kPadAtRest);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"99 24 7F", "89 24 00"}));
}

TEST_F(KeyEngine, KeysOutsideThePianoPlayNothing) {
    for (int key : {int{'1'}, int{'5'}, int{'8'}, kKeypad0, 0, 255}) tap(key);
    EXPECT_TRUE(midi.sent.empty());
}

TEST_F(KeyEngine, NothingPlaysWithoutAnOpenOutput) {
    piano->midiOut.midiReady = false;
    press(Z);
    EXPECT_TRUE(midi.sent.empty());
    EXPECT_FALSE(piano->shpKeys[0].visible);
}

TEST_F(KeyEngine, LosingFocusReleasesEveryHeldKey) {
    press(Z);
    press(kKeypad2);
    piano->Form_LostFocus();
    EXPECT_EQ(midi.sentHex(),
              (std::vector<std::string>{"90 32 7F", "99 24 7F", "80 32 00", "89 24 00"}));
    EXPECT_FALSE(piano->shpKeys[0].visible);
    release(Z);
    EXPECT_EQ(midi.sent.size(), 4u) << "a late key-up sends nothing more";
}

TEST_F(KeyEngine, PlayingKeysReportAMissingOutput) {
    piano->midiOut.midiReady = false;
    struct Case {
        int key;
        int shift;
        bool message;
    };
    const std::vector<Case> cases = {
        {Q, 0, true},           {'0', 0, true},           {kKeypad2, 0, true},
        {111, 0, true},         {kLeftBracket, 0, false}, {kKeypad0, 0, false},
        {Q, kShiftMask, false}, {37, 0, false},
    };
    for (const auto& c : cases) {
        dialogs.messages.clear();
        tap(c.key, c.shift);
        ASSERT_EQ(dialogs.messages.size(), c.message ? 1u : 0u) << c.key;
        if (c.message) {
            EXPECT_EQ(dialogs.messages[0].text,
                      "Unable to Open Midi Out!!\rPlease see User Manual for more Information...   "
                      "     ");
            EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Critical);
        }
    }
}

}  // namespace
}  // namespace tonvel
