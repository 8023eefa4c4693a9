#include "shell/accessible_names.h"

#include <functional>

#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

constexpr int kRight = 39, kUp = 38, kF2 = 113, kF5 = 116;

class AccessibleNames : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        start();
    }
    std::vector<AccessibleItem> items() const { return accessibleItems(*piano); }
    AccessibleItem find(AccessibleKind kind, int index = 0) {
        for (const auto& item : items())
            if (item.kind == kind && item.index == index) return item;
        ADD_FAILURE() << "no item";
        return {};
    }
};

TEST(NoteNames, SharpsAndOctavesFromMiddleC) {
    const std::vector<std::pair<int, std::string>> cases = {
        {60, "C 4"}, {61, "C# 4"}, {59, "B 3"}, {50, "D 3"}, {21, "A 0"}, {0, "C -1"}, {127, "G 9"},
    };
    for (const auto& [note, name] : cases) EXPECT_EQ(noteName(note), name) << note;
}

TEST_F(AccessibleNames, EveryControlOnceInReadingOrder) {
    const std::vector<std::pair<AccessibleKind, int>> counts = {
        {AccessibleKind::WindowButton, 6},  {AccessibleKind::Bank, 4},
        {AccessibleKind::Instrument, 1},    {AccessibleKind::Channel, 1},
        {AccessibleKind::BaseNote, 1},      {AccessibleKind::Rhythm, 1},
        {AccessibleKind::Transport, 5},     {AccessibleKind::Volume, 1},
        {AccessibleKind::Tempo, 1},         {AccessibleKind::Pad, 12},
        {AccessibleKind::Key, 36},          {AccessibleKind::StatusLine, 1},
        {AccessibleKind::RecordingMark, 1}, {AccessibleKind::PedalMark, 1},
        {AccessibleKind::SongMark, 1},      {AccessibleKind::SongPlace, 1},
        {AccessibleKind::SoundMark, 1},
    };
    const auto list = items();
    size_t at = 0;
    for (const auto& [kind, count] : counts) {
        for (int i = 0; i < count; ++i, ++at) {
            ASSERT_LT(at, list.size());
            EXPECT_EQ(list[at].kind, kind) << at;
            EXPECT_EQ(list[at].index, i) << at;
            EXPECT_GT(list[at].rect.width, 0) << at;
        }
    }
    EXPECT_EQ(list.size(), at);
}

TEST_F(AccessibleNames, RolesOfEachKind) {
    for (const auto& item : items()) {
        const AccessibleRole expected =
            item.kind == AccessibleKind::Volume || item.kind == AccessibleKind::Tempo
                ? AccessibleRole::Slider
            : item.kind == AccessibleKind::StatusLine    ? AccessibleRole::StatusBar
            : item.kind == AccessibleKind::RecordingMark ? AccessibleRole::Label
            : item.kind == AccessibleKind::PedalMark     ? AccessibleRole::Label
            : item.kind == AccessibleKind::SongMark      ? AccessibleRole::Label
            : item.kind == AccessibleKind::SongPlace     ? AccessibleRole::Label
            : item.kind == AccessibleKind::SoundMark     ? AccessibleRole::Label
                                                         : AccessibleRole::Button;
        EXPECT_EQ(item.role, expected) << item.name;
    }
}

TEST_F(AccessibleNames, ButtonsAreNamedByWhatTheStatusLineSaysOfThem) {
    for (int i = 0; i < 6; ++i) {
        piano->Butt_MouseMove(i);
        EXPECT_EQ(find(AccessibleKind::WindowButton, i).name, piano->PCap.caption);
    }
    for (int i = 0; i < 5; ++i) {
        piano->lblBeatCtrl_MouseMove(i);
        EXPECT_EQ(find(AccessibleKind::Transport, i).name, piano->PCap.caption);
    }
}

TEST_F(AccessibleNames, PanelsCarryTheirValues) {
    piano->mnuPiano_Click(18);
    const std::string instrument = piano->mnuPiano[18].caption;
    struct Case {
        AccessibleKind kind;
        int index;
        std::string name;
    };
    const std::vector<Case> cases = {
        {AccessibleKind::Instrument, 0, "Instrument: 19 " + instrument},
        {AccessibleKind::Channel, 0, "Channel: 19"},
        {AccessibleKind::BaseNote, 0, "Base note: " + piano->lblBaseKey.caption},
        {AccessibleKind::Bank, 2,
         "Bank F3: " + std::to_string(piano->state.bankPrograms[2] + 1) + " " +
             piano->mnuPiano[static_cast<size_t>(piano->state.bankPrograms[2])].caption},
        {AccessibleKind::Volume, 0, "Volume"},
        {AccessibleKind::StatusLine, 0, piano->PCap.caption},
        {AccessibleKind::RecordingMark, 0, "Recording off"},
        {AccessibleKind::PedalMark, 0, "Sustain pedal up"},
        {AccessibleKind::Pad, 0,
         piano->mnuDrum[static_cast<size_t>(*piano->state.drumPadNotes[0] - 35)].caption +
             ", Numpad /"},
    };
    for (const auto& c : cases) EXPECT_EQ(find(c.kind, c.index).name, c.name);
}

TEST_F(AccessibleNames, KeysNameTheirNoteAndTheKeyThatPlaysIt) {
    struct Case {
        int key;
        const char* legend;
    };
    const std::vector<Case> cases = {{0, "Z"},  {1, "S"},  {2, "X"},  {11, "M"},
                                     {12, ","}, {15, ";"}, {16, "/"}, {17, "Q"},
                                     {18, "2"}, {34, "-"}, {35, "["}};
    for (int base = 0; base < 12; ++base) {
        piano->mnuBaseKey_Click(base);
        for (const auto& c : cases)
            EXPECT_EQ(find(AccessibleKind::Key, c.key).name,
                      noteName(c.key + base + 50) + ", key " + c.legend);
    }
    keyCaps.legends = {{'Z', "W"}};
    piano->Form_KeyboardLayoutChange();
    EXPECT_EQ(find(AccessibleKind::Key, 0).name.substr(find(AccessibleKind::Key, 0).name.find(',')),
              ", key W");
}

TEST_F(AccessibleNames, AKeyIsPressedWhileItSounds) {
    press('Z');
    EXPECT_TRUE(find(AccessibleKind::Key, 0).pressed);
    EXPECT_FALSE(find(AccessibleKind::Key, 1).pressed);
    release('Z');
    EXPECT_FALSE(find(AccessibleKind::Key, 0).pressed);
}

TEST_F(AccessibleNames, SlidersTellTheirValueInTheirRange) {
    const auto volume = find(AccessibleKind::Volume);
    ASSERT_TRUE(volume.hasValue);
    EXPECT_EQ(volume.value.minimum, 0);
    EXPECT_EQ(volume.value.maximum, 100);
    press(37, kShiftMask);  // a step down
    const auto quieter = find(AccessibleKind::Volume);
    EXPECT_LT(quieter.value.current, volume.value.current);
    EXPECT_EQ(piano->PCap.caption,
              "Volume : " + std::to_string(static_cast<int>(quieter.value.current)) + "%");
    const auto tempo = find(AccessibleKind::Tempo);
    EXPECT_EQ(tempo.value.minimum, -100);
    EXPECT_EQ(tempo.value.maximum, 100);
    press(38, kShiftMask);
    EXPECT_GT(find(AccessibleKind::Tempo).value.current, tempo.value.current);
}

TEST_F(AccessibleNames, EachChangeFromTheKeyboardIsSpokenOnce) {
    struct Case {
        const char* what;
        std::function<void()> act;
        std::optional<AccessibleKind> spoken;
        int index = 0;
    };
    const std::vector<Case> cases = {
        {"Right arrow", [&] { tap(kRight); }, AccessibleKind::Instrument},
        {"Up arrow", [&] { tap(kUp); }, AccessibleKind::BaseNote},
        {"F2", [&] { tap(kF2); }, AccessibleKind::Bank, 1},
        {"Alt+keypad",
         [&] {
             press(18, kAltMask);
             tap(97, kAltMask);   // keypad 1
             tap(100, kAltMask);  // keypad 4
             release(18, 0);
         },
         AccessibleKind::Instrument},
        {"F5", [&] { tap(kF5); }, AccessibleKind::Rhythm},
        {"Ctrl+R", [&] { tap('R', kCtrlMask); }, AccessibleKind::RecordingMark},
        {"hover", [&] { piano->Butt_MouseMove(2); }, AccessibleKind::StatusLine},
        {"a key", [&] { press('X'); }, std::nullopt},
        {"its release", [&] { release('X'); }, std::nullopt},
        {"the status line emptied", [&] { piano->tmrCap_Timer(); }, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto before = items();
        c.act();
        const auto after = items();
        const auto difference = accessibleDifference(before, after);
        if (!c.spoken) {
            EXPECT_FALSE(difference.announce) << c.what;
            continue;
        }
        ASSERT_TRUE(difference.announce) << c.what;
        EXPECT_EQ(after[*difference.announce].kind, *c.spoken) << c.what;
        EXPECT_EQ(after[*difference.announce].index, c.index) << c.what;
        EXPECT_FALSE(difference.changes.empty()) << c.what;
    }
}

TEST_F(AccessibleNames, NothingChangedIsNothingToTell) {
    const auto list = items();
    const auto difference = accessibleDifference(list, list);
    EXPECT_TRUE(difference.changes.empty());
    EXPECT_FALSE(difference.announce);
}

}  // namespace
}  // namespace tonvel
