#include <array>
#include <set>

#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

constexpr int kKeypad8 = 104, kKeypad2 = 98;

class DrumPads : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        start();
    }
    MenuChoice drum(int note) { return {"mnuDrum", note - 35}; }
};

TEST_F(DrumPads, AnyButtonOpensThePadsMenuAndPlaysNothing) {
    for (int button : {1, 2, 4}) {
        midi.clearSent();
        piano->lblDrums_MouseDown(3, button, 0, 0, 60);
        const auto& popped = dialogs.menus.back();
        EXPECT_TRUE(popped.eitherButton);
        EXPECT_EQ(popped.y, 60);
        EXPECT_EQ(popped.x, piano->lblDrums[3].rect.left + piano->lblDrums[3].rect.width);
        ASSERT_EQ(popped.menu.children.size(), 32u);
        EXPECT_TRUE(popped.menu.children[45 - 35].checked);
        EXPECT_EQ(popped.menu.children[10].caption, "Lo Tom Tom");
        EXPECT_TRUE(midi.sent.empty());
    }
}

TEST_F(DrumPads, CtrlKeypadOpensThePadsMenuAtTheTopWithThePadLit) {
    uint32_t colourWhileOpen = 0;
    dialogs.whileMenuOpen = [&] { colourWhileOpen = piano->shpDrums[4].fillColor; };
    piano->Form_KeyDown(kKeypad8, kCtrlMask);
    EXPECT_EQ(colourWhileOpen, kPadSounding);
    const auto& popped = dialogs.menus.back();
    EXPECT_EQ(popped.y, 0);
    EXPECT_TRUE(popped.menu.children[47 - 35].checked);
    EXPECT_EQ(piano->state.selectedDrumPad, 4);
    EXPECT_EQ(piano->shpDrums[4].fillColor, kPadAtRest) << "back at rest once closed";
    EXPECT_TRUE(piano->lblOver.tag.empty());
}

TEST_F(DrumPads, ASoundAlreadyTakenIsRefusedNamingItsKey) {
    struct Case {
        int pad;
        int note;
        const char* key;
    };
    const std::vector<Case> cases = {{7, 49, "Numpad /"}, {2, 51, "Numpad -"}};
    for (const auto& c : cases) {
        dialogs.messages.clear();
        dialogs.menuAnswers.push_back(drum(c.note));
        piano->lblDrums_MouseDown(c.pad, 1, 0, 0, 0);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, std::string("This Sound is already Selected for <") +
                                                c.key +
                                                " (+ Ctrl)> Key!  \rPlease select another Sound!");
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Warning);
    }
    EXPECT_EQ(piano->state.drumPadNotes[7], 42);
}

TEST_F(DrumPads, ANewSoundPlaysAtTheNextStrokeAndIsSaved) {
    dialogs.menuAnswers.push_back(drum(66));
    piano->lblDrums_MouseDown(2, 1, 0, 0, 0);
    EXPECT_EQ(piano->lblDrums[2].tag, "66");
    dialogs.menuAnswers.push_back(drum(51));
    piano->lblDrums_MouseDown(5, 1, 0, 0, 0);
    EXPECT_EQ(piano->state.drumPadNotes[5], 51) << "pad 2 released note 51";
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.menuAnswers.push_back(drum(60));
    piano->lblDrums_MouseDown(10, 1, 0, 0, 0);
    midi.clearSent();
    piano->Form_KeyDown(kKeypad2, 0);
    piano->Form_KeyUp(kKeypad2, 0);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"99 3C 7F", "89 3C 00"}));
    piano->Form_Unload();
    EXPECT_NE(readFile("con_set.dat").find(" 66  "), std::string::npos);
    EXPECT_NE(readFile("con_set.dat").find(" 60  "), std::string::npos);
}

// Each pad's label records the sound the pad plays, its menu ticks that sound, and no two
// pads share one.
void expectPadsAgree(frmPiano& piano, testing::RecordingDialogs& dialogs, const std::string& step) {
    std::set<int> notes;
    for (size_t pad = 0; pad < piano.lblDrums.size(); ++pad) {
        const int note = piano.state.drumPadNotes[pad].value_or(-1);
        EXPECT_EQ(piano.lblDrums[pad].tag, std::to_string(note)) << step << ", pad " << pad;
        EXPECT_TRUE(notes.insert(note).second) << step << ": two pads play " << note;
        piano.lblDrums_MouseDown(static_cast<int>(pad), 1, 0, 0, 0);
        const auto& items = dialogs.menus.back().menu.children;
        for (size_t item = 0; item < items.size(); ++item)
            EXPECT_EQ(items[item].checked, static_cast<int>(item) + 35 == note)
                << step << ", pad " << pad << ", item " << item;
    }
}

TEST_F(DrumPads, ThePadsKeepTheUsersSoundsThroughTheLayoutItemAndTheMenus) {
    struct Step {
        std::string what;
        int pad;   // -1: the layout item
        int note;  // the sound chosen for the pad
        bool refused;
        std::array<int, 12> notes;  // afterwards
    };
    const std::vector<Step> steps = {
        {"pad 5 takes 60", 5, 60, false, {49, 56, 51, 45, 47, 60, 46, 42, 44, 37, 36, 40}},
        {"layout item", -1, 0, false, {49, 56, 51, 45, 47, 60, 46, 42, 44, 37, 36, 40}},
        {"pad 3 takes 48, which pad 5 gave up",
         3,
         48,
         false,
         {49, 56, 51, 48, 47, 60, 46, 42, 44, 37, 36, 40}},
        {"layout item again", -1, 0, false, {49, 56, 51, 48, 47, 60, 46, 42, 44, 37, 36, 40}},
        {"pad 0 cannot take pad 5's 60",
         0,
         60,
         true,
         {49, 56, 51, 48, 47, 60, 46, 42, 44, 37, 36, 40}},
        {"pad 9 cannot take pad 1's 56, not the layout's 57",
         9,
         56,
         true,
         {49, 56, 51, 48, 47, 60, 46, 42, 44, 37, 36, 40}},
        {"pad 9 takes 57", 9, 57, false, {49, 56, 51, 48, 47, 60, 46, 42, 44, 57, 36, 40}},
    };
    for (const Step& step : steps) {
        dialogs.messages.clear();
        if (step.pad < 0) {
            piano->mnu_KeyboardType_Click();
        } else {
            dialogs.menuAnswers.push_back(drum(step.note));
            piano->lblDrums_MouseDown(step.pad, 1, 0, 0, 0);
        }
        EXPECT_EQ(dialogs.messages.size(), step.refused ? 1u : 0u) << step.what;
        for (size_t pad = 0; pad < 12; ++pad)
            EXPECT_EQ(piano->state.drumPadNotes[pad], step.notes[pad])
                << step.what << ", pad " << pad;
        expectPadsAgree(*piano, dialogs, step.what);
    }

    midi.sent.clear();
    piano->Form_KeyDown(kKeypad8 + 1, 0);  // keypad 9: pad 5
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"99 3C 7F"}));
    piano->Form_Unload();
    start();
    for (size_t pad = 0; pad < 12; ++pad)
        EXPECT_EQ(piano->state.drumPadNotes[pad], steps.back().notes[pad]) << "saved, pad " << pad;
    expectPadsAgree(*piano, dialogs, "after a restart");
}

TEST_F(DrumPads, AChoiceMadeAfterTheMenuClosedStillKeepsThePadAndItsLabelTogether) {
    piano->lblDrums_MouseDown(6, 1, 0, 0, 0);
    ASSERT_TRUE(piano->lblOver.tag.empty());
    piano->mnuDrum_Click(62 - 35);
    EXPECT_EQ(piano->state.drumPadNotes[6], 62);
    expectPadsAgree(*piano, dialogs, "late choice");
}

TEST_F(DrumPads, TooltipsNameTheirKeys) {
    EXPECT_EQ(piano->lblDrums[0].toolTip, "Numpad / (+ Ctrl)");
    EXPECT_EQ(piano->lblDrums[7].toolTip, "Numpad 5 (+ Ctrl)");
}

}  // namespace
}  // namespace tonvel
