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

TEST_F(DrumPads, TooltipsNameTheirKeys) {
    EXPECT_EQ(piano->lblDrums[0].toolTip, "Numpad / (+ Ctrl)");
    EXPECT_EQ(piano->lblDrums[7].toolTip, "Numpad 5 (+ Ctrl)");
}

}  // namespace
}  // namespace tonvel
