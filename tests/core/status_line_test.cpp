#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

class StatusLine : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        start();
    }
};

TEST_F(StatusLine, LoadingEndsWithAHoverOutThatEmptiesTheLine) {
    EXPECT_TRUE(piano->tmrCap.enabled);
    EXPECT_EQ(piano->tmrCap.interval, 700);
    piano->tmrCap_Timer();
    EXPECT_EQ(piano->PCap.caption, "");
    EXPECT_FALSE(piano->tmrCap.enabled);
}

TEST_F(StatusLine, VolumeTexts) {
    struct Case {
        int velocity;
        const char* text;
    };
    const std::vector<Case> cases = {
        {0, "Volume : Mute"}, {-3, "Volume : Mute"}, {1, "Volume : 1%"},
        {64, "Volume : 50%"}, {100, "Volume : 79%"}, {127, "Volume : 100%"},
    };
    for (const auto& c : cases) {
        piano->state.noteVelocity = static_cast<int16_t>(c.velocity);
        piano->SStatus("vol");
        EXPECT_EQ(piano->PCap.caption, c.text);
        EXPECT_EQ(piano->lblVolume.toolTip, c.text);
    }
}

TEST_F(StatusLine, ItemTexts) {
    struct Case {
        const char* key;
        std::string tempoCaption;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"tmpo", "0", "Tempo : Normal"},        {"tmpo", "11", "Tempo : 11"},
        {"tmpo", "-5", "Tempo : -5"},           {"chnum", "", "Current Channel Number"},
        {"basenote", "", "Current Base Note"},  {"instr", "", "Current Channel Name"},
        {"intrname", "", "Current Intro Name"}, {"bkey", "", "Current Base Note : E"},
    };
    for (const auto& c : cases) {
        piano->lblIntrHold.caption = c.tempoCaption;
        piano->tmrCap.enabled = true;
        piano->SStatus(c.key);
        EXPECT_EQ(piano->PCap.caption, c.text) << c.key;
        EXPECT_FALSE(piano->tmrCap.enabled) << c.key;
    }
    EXPECT_EQ(piano->lblIntro.toolTip, "Tempo : -5");
}

TEST_F(StatusLine, UnknownKeyStopsAPendingClearOnly) {
    piano->PCap.caption = "kept";
    piano->tmrCap.enabled = true;
    piano->SStatus("Vol");
    EXPECT_EQ(piano->PCap.caption, "kept");
    EXPECT_FALSE(piano->tmrCap.enabled);
}

TEST_F(StatusLine, HoverTextsOfItems) {
    piano->lblDrums_MouseMove(11);
    EXPECT_EQ(piano->PCap.caption, "Drumset 12");
    piano->lblBank_MouseMove(2);
    EXPECT_EQ(piano->PCap.caption, "Channel Quick Jump 3");
    piano->lblBeatCtrl_MouseMove(3);
    EXPECT_EQ(piano->PCap.caption, "Play Ending");
    EXPECT_FALSE(piano->tmrCap.enabled);
    piano->Butt_MouseMove(5);
    EXPECT_EQ(piano->PCap.caption, "Exit piano");
}

TEST_F(StatusLine, ButtonHighlightsFollowTheMouseAndStayOnTop) {
    piano->Tag = "1";
    piano->Butt_MouseMove(0);
    EXPECT_EQ(piano->Butt[0].picture, "butt0");
    EXPECT_EQ(piano->Butt[4].picture, "butt4");
    EXPECT_EQ(piano->PCap.caption, "Main menu");
    piano->Butt_MouseMove(2);
    EXPECT_EQ(piano->Butt[0].picture, "");
    EXPECT_EQ(piano->Butt[2].picture, "butt2");
    piano->PianoSkin_MouseMove();
    EXPECT_EQ(piano->Butt[2].picture, "");
    EXPECT_EQ(piano->Butt[4].picture, "butt4");

    piano->Tag = "0";
    piano->Butt_MouseMove(1);
    piano->lblOver_MouseMove();
    for (const auto& button : piano->Butt) EXPECT_EQ(button.picture, "");
}

TEST_F(StatusLine, ButtonHoverLeavesTheClearTimerAlone) {
    piano->PianoSkin_MouseMove();
    piano->Butt_MouseMove(3);
    EXPECT_TRUE(piano->tmrCap.enabled);
    piano->tmrCap_Timer();
    piano->Butt_MouseMove(3);
    EXPECT_EQ(piano->PCap.caption, "Minimize");
    EXPECT_FALSE(piano->tmrCap.enabled);
}

TEST_F(StatusLine, InstrumentHoverResetsPicturesButKeepsItsText) {
    piano->VolPtr.picture = "volover";
    piano->Butt_MouseMove(1);
    piano->lblInstrument_MouseMove();
    EXPECT_EQ(piano->PCap.caption, "Current Channel Name");
    EXPECT_FALSE(piano->tmrCap.enabled);
    EXPECT_EQ(piano->VolPtr.picture, "volnormal");
    EXPECT_EQ(piano->Butt[1].picture, "");
}

TEST_F(StatusLine, DraggingTheWindow) {
    piano->Form_MouseDown(2, 0, 10, 10);
    EXPECT_EQ(window.dragCount, 1) << "any button on the background";
    piano->lbl_Move_MouseDown(0, 2, 0, 0, 0);
    EXPECT_EQ(window.dragCount, 1) << "a strip only moves with the left button";
    piano->lbl_Move_MouseDown(0, 1, 0, 0, 0);
    EXPECT_EQ(window.dragCount, 2);
    EXPECT_EQ(piano->lblMoveMousePointer, 0);
}

// A port whose client went away stays the one chosen, greyed, through a menu rebuild, until
// it is back; the news stays on the status line.
TEST_F(StatusLine, OutputNewsIsShownAndTheDeviceAwayIsGreyedUntilItIsBack) {
    midi.names = {"Port A", "Port B"};
    piano->mnuDevice_Click(2);
    piano->outputNews("Gone : Port B", false);
    EXPECT_EQ(piano->PCap.caption, "Gone : Port B");
    EXPECT_FALSE(piano->tmrCap.enabled);
    piano->Butt_Click(1);  // the menu is built again
    for (const auto& item : piano->mnuDevice)
        EXPECT_EQ(item.enabled, !item.checked) << item.caption;
    EXPECT_TRUE(piano->mnuDevice[2].checked);

    piano->outputNews("Back : Port B", true);
    for (const auto& item : piano->mnuDevice) EXPECT_TRUE(item.enabled) << item.caption;
}

}  // namespace
}  // namespace tonvel
