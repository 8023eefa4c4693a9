#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "fakes/piano_fixture.h"
#include "shell/note_holders.h"

namespace tonvel {
namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> channelMessages(const testing::RecordingMidiSystem& midi, size_t from = 0) {
    return {midi.sent.begin() + static_cast<long>(from), midi.sent.end()};
}

// Two hands on one note sound it once and end it with the last; the pedal goes down with its
// first holder and up with its last.
TEST(NoteHolders, ANoteSoundsOnceAndEndsWithItsLastHolder) {
    testing::RecordingMidiSystem midi;
    testing::RecordingDialogs dialogs;
    MidiOut out(midi, dialogs);
    midi.open(-1);
    NoteHolders holders(out);
    const Hand key{Hand::Kind::Keys, 'Z'}, mouse{Hand::Kind::Mouse, 0},
        keyboard{Hand::Kind::MidiIn, 1}, space{Hand::Kind::Keys, 32};
    holders.press(key, 0, 60, 100);
    holders.press(mouse, 0, 60, 90);
    holders.pedal(space, true);
    holders.pedal(keyboard, true);
    holders.release(key, 0, 60);
    holders.pedal(space, false);
    EXPECT_EQ(midi.sent, (std::vector<Bytes>{{0x90, 60, 100}, {0xB0, 64, 127}}));
    holders.release(mouse, 0, 60);
    holders.pedal(keyboard, false);
    EXPECT_EQ(midi.sent,
              (std::vector<Bytes>{{0x90, 60, 100}, {0xB0, 64, 127}, {0x80, 60, 0}, {0xB0, 64, 0}}));
}

class OtherHands : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        midiInput.plug("USB Keyboard", true);
        midiInput.plug("Sequencer", false);
    }
    void in(uint32_t message) {
        ASSERT_TRUE(midiInput.send("USB Keyboard", message));
        piano->MidiIn_Received();
    }
};

TEST_F(OtherHands, HardwareSourcesAreConnectedAtStartAndSoftwareOnesAreNot) {
    start();
    EXPECT_TRUE(midiInput.isConnected("USB Keyboard"));
    EXPECT_FALSE(midiInput.isConnected("Sequencer"));
    midiInput.plug("Second Keyboard", true);
    piano->MidiIn_Received();
    EXPECT_TRUE(midiInput.isConnected("Second Keyboard"));
}

TEST_F(OtherHands, AChoiceInTheInputMenuIsKeptByName) {
    start();
    piano->Butt_Click(1);
    ASSERT_EQ(piano->mnuMidiIn.size(), 2u);
    piano->mnuMidiIn_Click(0);  // the keyboard, off
    piano->mnuMidiIn_Click(1);  // the sequencer, on
    EXPECT_FALSE(midiInput.isConnected("USB Keyboard"));
    EXPECT_TRUE(midiInput.isConnected("Sequencer"));
    EXPECT_TRUE(piano->mnuMidiIn[1].checked);
    // The next run, and the keyboard plugged in again, respect it.
    midiInput.connect("Sequencer", false);
    piano->Form_Unload();
    piano.reset();
    start();
    EXPECT_FALSE(midiInput.isConnected("USB Keyboard"));
    EXPECT_TRUE(midiInput.isConnected("Sequencer"));
}

// What comes in plays as the keys do: notes with their velocity on the piano's channel, drum
// notes on the drum channel, the rest on the piano's channel; bank selects are the window's.
TEST_F(OtherHands, IncomingMessagesPlayOnThePianosChannel) {
    struct Case {
        uint32_t in;
        Bytes out;  // empty: nothing leaves
    };
    const Case cases[] = {
        {packMessage(0x93, 60, 33), {0x90, 60, 33}}, {packMessage(0x93, 60, 0), {0x80, 60, 0}},
        {packMessage(0x99, 38, 90), {0x99, 38, 90}}, {packMessage(0x89, 38, 5), {0x89, 38, 0}},
        {packMessage(0xE5, 0, 80), {0xE0, 0, 80}},   {packMessage(0xD2, 70, 0), {0xD0, 70}},
        {packMessage(0xB1, 1, 64), {0xB0, 1, 64}},   {packMessage(0xB1, 64, 100), {0xB0, 64, 127}},
        {packMessage(0xB1, 64, 10), {0xB0, 64, 0}},  {packMessage(0xB0, 0, 1), {}},
    };
    start();
    for (const Case& c : cases) {
        const size_t before = midi.sent.size();
        in(c.in);
        const auto sent = channelMessages(midi, before);
        if (c.out.empty()) {
            EXPECT_TRUE(sent.empty()) << std::hex << c.in;
        } else {
            EXPECT_EQ(sent, std::vector<Bytes>{c.out}) << std::hex << c.in;
        }
    }
}

TEST_F(OtherHands, AProgramChangeChoosesTheInstrumentAsTheMenuDoes) {
    start();
    in(packMessage(0xC0, 18, 0));
    EXPECT_EQ(piano->state.currentProgram, 18);
    EXPECT_EQ(piano->lblInstrument.caption, piano->mnuPiano[18].caption);
}

TEST_F(OtherHands, IncomingNotesLightTheKeysAndPadsTheyFallOn) {
    start();
    const int base = piano->state.baseKey;
    in(packMessage(0x90, 50 + base + 7, 80));
    in(packMessage(0x99, *piano->state.drumPadNotes[3], 80));
    EXPECT_TRUE(piano->shpKeys[7].visible);
    EXPECT_EQ(piano->shpDrums[3].fillColor, kPadSounding);
    in(packMessage(0x80, 50 + base + 7, 0));
    EXPECT_FALSE(piano->shpKeys[7].visible);
}

TEST_F(OtherHands, AnUnpluggedKeyboardEndsItsNotesAndItsPedal) {
    start();
    in(packMessage(0x90, 60, 80));
    in(packMessage(0xB0, 64, 127));
    midiInput.unplug("USB Keyboard");
    piano->MidiIn_Received();
    EXPECT_TRUE(midi.silent());
    EXPECT_TRUE(midi.pedalDown[0].empty());
}

// A refresh (R) silences the notes held across it: a hand pressing (K the key Z, M the mouse,
// I a MIDI keyboard) strikes the note again, and letting go (k, m, i) never cuts a hand still
// sounding it. Notes that leave after R, and nothing sounds at the end.
TEST_F(OtherHands, NotesHeldAcrossARefreshAreSilentAndStruckAgainByAnotherHand) {
    const std::pair<std::string, std::string> cases[] = {
        {"KRk", " 80"},      {"KRMkm", " 90 80"}, {"KRMmk", " 90 80 80"}, {"KMRmk", " 80"},
        {"MRKmk", " 90 80"}, {"KRIki", " 90 80"}, {"KIRiMkm", " 90 80"}};
    const int note = 54;  // Z's at the start's base note, and the mouse's at (100, 190)
    const std::map<char, std::function<void()>> act = {
        {'K', [&] { piano->keyPressed('Z', 0); }},
        {'k', [&] { piano->keyReleased('Z', 0); }},
        {'M', [&] { piano->PianoKeys_MouseDown(1, 0, 100, 190); }},
        {'m', [&] { piano->PianoKeys_MouseUp(1); }},
        {'I', [&] { in(packMessage(0x90, note, 100)); }},
        {'i', [&] { in(packMessage(0x80, note, 0)); }},
        {'R', [&] { piano->mnu_refresh_Click(); }}};
    preferences.texts["Mouse/PlaysKeys"] = "1";
    for (const auto& [steps, afterRefresh] : cases) {
        start();
        std::string sent;
        for (const char step : steps) {
            const size_t before = midi.sent.size();
            act.at(step)();
            for (const auto& bytes : channelMessages(midi, before))
                if ((bytes[0] & 0xE0) == 0x80 && bytes[1] == note)
                    sent += bytes[0] == 0x90 ? " 90" : " 80";
            if (step == 'R') sent.clear();
        }
        EXPECT_EQ(sent, afterRefresh) << steps;
        EXPECT_TRUE(midi.silent()) << steps;
    }
}

// A keyboard that leaves, by an unplug, a device change or the exit, ends its notes and puts
// back every controller it moved, on the device that played them.
TEST_F(OtherHands, ALeavingKeyboardPutsBackEveryControllerItMoved) {
    const std::function<void()> edges[] = {
        [&] { piano->mnuDevice_Click(0); }, [&] { piano->Form_Unload(); },
        [&] { midiInput.unplug("USB Keyboard"), piano->MidiIn_Received(); }};
    const std::vector<Bytes> reset = {{0x80, 60, 0}, {0xB0, 66, 0}, {0xB0, 69, 0},
                                      {0xE0, 0, 64}, {0xB0, 64, 0}, {0xB0, 121, 0}};
    for (const auto& leave : edges) {
        start();
        for (const uint32_t message : {packMessage(0xB2, 66, 127), packMessage(0xB2, 69, 127),
                                       packMessage(0xE2, 0, 96), packMessage(0x92, 60, 80)})
            in(message);
        const size_t before = midi.sent.size();
        leave();
        auto sent = channelMessages(midi, before);
        sent.resize(std::min(sent.size(), reset.size()));
        EXPECT_EQ(sent, reset);
    }
}

// While Space holds the pedal, the reset of all controllers, which would lift it under the
// notes it sustains, waits for Space to let go.
TEST_F(OtherHands, AKeyboardsResetWaitsForThePedalAnotherHandHolds) {
    start();
    in(packMessage(0xB0, 1, 64));
    piano->keyPressed(32, 0);
    const size_t before = midi.sent.size();
    midiInput.unplug("USB Keyboard");
    piano->MidiIn_Received();
    piano->keyReleased(32, 0);
    EXPECT_EQ(channelMessages(midi, before),
              (std::vector<Bytes>{
                  {0xB0, 66, 0}, {0xB0, 69, 0}, {0xE0, 0, 64}, {0xB0, 64, 0}, {0xB0, 121, 0}}));
}

TEST_F(OtherHands, SpaceIsTheSustainPedalOneMessagePerPress) {
    start();
    const size_t before = midi.sent.size();
    for (int repeat = 0; repeat < 5; ++repeat) piano->keyPressed(32, 0);
    EXPECT_EQ(piano->shpPedal.fillColor, kPedalLit);
    piano->keyReleased(32, 0);
    EXPECT_EQ(channelMessages(midi, before), (std::vector<Bytes>{{0xB0, 64, 127}, {0xB0, 64, 0}}));
    EXPECT_EQ(piano->shpPedal.fillColor, kPedalDark);
}

TEST_F(OtherHands, LosingTheFocusLiftsThePedalAndEndsTheMouseNote) {
    preferences.texts["Mouse/PlaysKeys"] = "1";
    start();
    piano->keyPressed(32, 0);
    const Rect& key = piano->shpKeys[0].rect;
    piano->PianoKeys_MouseDown(1, 0, (key.left + key.width / 2) / 15.0f,
                               (key.top + key.height / 2) / 15.0f);
    piano->Form_LostFocus();
    EXPECT_TRUE(midi.silent());
    EXPECT_TRUE(midi.pedalDown[0].empty());
}

// The mouse plays from a left press until any button goes up, a move comes without the left
// button, a popup opens or the focus goes: later moves, even with the left button, play nothing.
TEST_F(OtherHands, TheMouseStopsPlayingAtAnyPopupFocusLossOrRelease) {
    preferences.texts["Mouse/PlaysKeys"] = "1";
    start();
    const auto at = [&](size_t i, int buttons) {
        const Rect& r = piano->shpKeys[i].rect;
        piano->PianoKeys_MouseMove(buttons, 0, (r.left + 9) / 15.0f, (r.top + 9) / 15.0f);
    };
    const std::function<void()> edges[] = {
        [&] { piano->lblOver_MouseDown(2, 0, 100, 150); },
        [&] { piano->keyPressed('S', kAltMask), piano->keyReleased('S', kAltMask); },
        [&] { piano->Form_LostFocus(); }, [&] { piano->PianoKeys_MouseUp(2); }, [&] { at(1, 0); }};
    for (const auto& interrupt : edges) {
        piano->PianoKeys_MouseDown(1, 0, 100, 190);
        ASSERT_TRUE(midi.sent.back()[0] == 0x90 && piano->mousePlaying());
        interrupt();
        const size_t before = midi.sent.size();
        at(3, 1), at(5, 1);
        EXPECT_EQ(midi.sent.size(), before);
        EXPECT_TRUE(midi.silent());
    }
}

// A slide plays each key reached and ends the one left, at the volume's velocity.
TEST_F(OtherHands, TheMousePlaysAGlissandoWhenAllowed) {
    start();
    const auto centre = [&](int i) {
        const Rect& r = piano->shpKeys[static_cast<size_t>(i)].rect;
        return std::pair{(r.left + r.width / 2) / 15.0f, (r.top + r.height / 2) / 15.0f};
    };
    EXPECT_FALSE(piano->mousePlaysKeys());
    piano->mnu_mousekeys_Click();
    EXPECT_EQ(preferences.texts["Mouse/PlaysKeys"], "1");
    const int note = 50 + piano->state.baseKey;
    const int velocity = piano->state.noteVelocity;
    const size_t before = midi.sent.size();
    piano->PianoKeys_MouseDown(1, 0, centre(0).first, centre(0).second);
    for (int i : {1, 2}) piano->PianoKeys_MouseMove(1, 0, centre(i).first, centre(i).second);
    EXPECT_TRUE(piano->shpKeys[2].visible);
    piano->PianoKeys_MouseUp(1);
    const auto v = static_cast<uint8_t>(velocity);
    const auto n = [&](int i) { return static_cast<uint8_t>(note + i); };
    EXPECT_EQ(channelMessages(midi, before), (std::vector<Bytes>{{0x90, n(0), v},
                                                                 {0x80, n(0), 0},
                                                                 {0x90, n(1), v},
                                                                 {0x80, n(1), 0},
                                                                 {0x90, n(2), v},
                                                                 {0x80, n(2), 0}}));
}

// Every key's centre is found as that key, black keys over the white ones.
TEST_F(OtherHands, EveryKeysCentreIsThatKey) {
    start();
    for (int i = 0; i < 36; ++i) {
        const Rect& r = piano->shpKeys[static_cast<size_t>(i)].rect;
        EXPECT_EQ(piano->pianoKeyAt((r.left + r.width / 2) / 15, (r.top + r.height / 2) / 15), i);
    }
    EXPECT_EQ(piano->pianoKeyAt(5, 5), -1);
}

TEST_F(OtherHands, TheDeviceMenuShowsPortsPresentWhenItOpensAndKeepsTheChoiceByName) {
    midi.names = {"Port A", "Port B"};
    start();
    piano->mnuDevice_Click(2);  // Port B
    midi.names = {"New Synth", "Port A", "Port B"};
    piano->Butt_Click(1);
    ASSERT_EQ(piano->mnuDevice.size(), 4u);
    EXPECT_EQ(piano->midiOut.midiDeviceId, 3);
    EXPECT_TRUE(piano->mnuDevice[3].checked);
}

}  // namespace
}  // namespace tonvel
