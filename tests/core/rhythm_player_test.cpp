#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

constexpr int kPlay = 0, kFill = 1, kPause = 2, kEnding = 3, kStop = 4;

class RhythmPlayer : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        start();
        midi.clearSent();
    }
    void press(int button) {
        piano->lblBeatCtrl_MouseDown(button, 1, 0, 0, 0);
        piano->lblBeatCtrl_MouseUp(button);
        piano->lblBeatCtrl_Click(button);
    }
    // The notes each tick strikes, as "44,35" ("" for a rest).
    std::vector<std::string> ticks(int count) {
        std::vector<std::string> out;
        for (int i = 0; i < count; ++i) {
            midi.clearSent();
            piano->tmrBeat_Timer();
            std::string notes;
            for (const auto& bytes : midi.sent) {
                EXPECT_EQ(bytes[0], 0x99);
                if (!notes.empty()) notes += ',';
                notes += std::to_string(bytes[1]);
            }
            out.push_back(notes);
        }
        return out;
    }
    using Ticks = std::vector<std::string>;
};

TEST_F(RhythmPlayer, StartsIdleWithTheFirstStyle) {
    EXPECT_EQ(piano->lblBeat.caption, "16 Beat");
    EXPECT_EQ(piano->state.beatSection, -1);
    EXPECT_FALSE(piano->tmrBeat.enabled);
    EXPECT_EQ(ticks(3), (Ticks{"", "", ""}));
    press(kFill);
    EXPECT_EQ(piano->state.beatNextSection, -2) << "only Play acts while stopped";
}

TEST_F(RhythmPlayer, RockStartsWithACrashThenARest) {
    piano->mnuBeat_Click(1);
    press(kPlay);
    EXPECT_TRUE(piano->tmrBeat.enabled);
    EXPECT_EQ(piano->PCap.caption, "Play Intro");
    EXPECT_EQ(piano->lblBeatCtrl[kPlay].foreColor, kLabelHighlight);
    EXPECT_EQ(ticks(2), (Ticks{"44,35,55", ""}));
}

TEST_F(RhythmPlayer, FillPlaysAfterThePassThenMainReturns) {
    press(kPlay);
    const Ticks intro(8, "44");
    EXPECT_EQ(ticks(8), intro);
    const Ticks main = {"44,35", "44", "44", "44", "44,40", "44", "44", "44"};
    EXPECT_EQ(ticks(8), main);
    EXPECT_EQ(ticks(8), main);
    ticks(3);  // into the third pass
    press(kFill);
    EXPECT_EQ(piano->PCap.caption, "Fill Effects");
    EXPECT_EQ(ticks(5), (Ticks{"44", "44,40", "44", "44", "44"}));  // the rest of the pass
    const auto fill = ticks(16);
    EXPECT_EQ(fill.front(), "44,40");
    EXPECT_EQ(fill[8], "44,35,55");
    EXPECT_EQ(ticks(8), main);
}

TEST_F(RhythmPlayer, DiscoEndingFinishesThePassThenFallsSilent) {
    piano->mnuBeat_Click(2);
    EXPECT_EQ(piano->tmrBeat.interval, 170);
    press(kPlay);
    ticks(4 + 1);  // intro, then one step into main
    press(kEnding);
    EXPECT_EQ(piano->lblBeatCtrl[kPlay].foreColor, kLabelNormal);
    EXPECT_EQ(ticks(3), (Ticks{"46", "44,40,35", "42"}));
    EXPECT_EQ(ticks(1), (Ticks{"44,35,55"}));
    EXPECT_EQ(ticks(4), (Ticks{"", "", "", ""}));
    EXPECT_TRUE(piano->tmrBeat.enabled);
    EXPECT_EQ(piano->state.beatSection, -1);
}

TEST_F(RhythmPlayer, StopThenPlayResumesTheHaltedStepThenTheIntro) {
    press(kPlay);
    ticks(8 + 5);  // intro, five steps of main
    press(kStop);
    EXPECT_FALSE(piano->tmrBeat.enabled);
    EXPECT_EQ(piano->PCap.caption, "Stop Intro");
    for (int i = kPlay; i <= kEnding; ++i)
        EXPECT_EQ(piano->lblBeatCtrl[static_cast<size_t>(i)].foreColor, kLabelNormal);
    press(kPlay);
    EXPECT_EQ(ticks(3), (Ticks{"44", "44", "44"}));  // the rest of main
    EXPECT_EQ(ticks(8), Ticks(8, "44"));             // then the intro
    EXPECT_EQ(ticks(1), (Ticks{"44,35"}));           // then main
}

TEST_F(RhythmPlayer, WhilePausedFillEndingAndPauseChangeNothing) {
    press(kPlay);
    ticks(10);
    press(kPause);
    EXPECT_EQ(piano->PCap.caption, "Pause");
    EXPECT_EQ(piano->lblBeatCtrl[kPause].foreColor, kLabelHighlight);
    const auto section = piano->state.beatSection;
    const auto step = piano->state.beatStep;
    const auto next = piano->state.beatNextSection;
    for (int button : {kFill, kEnding, kPause}) {
        press(button);
        EXPECT_EQ(piano->PCap.caption, "Pause") << button;
        EXPECT_EQ(piano->state.beatNextSection, next) << button;
        EXPECT_EQ(piano->state.beatSection, section);
        EXPECT_EQ(piano->state.beatStep, step);
        EXPECT_FALSE(piano->tmrBeat.enabled);
    }
}

TEST_F(RhythmPlayer, TheLaterRequestWins) {
    press(kPlay);
    ticks(8 + 2);
    press(kFill);
    press(kEnding);
    ticks(6);
    EXPECT_EQ(ticks(1), (Ticks{"44,35,55"}));
    EXPECT_EQ(piano->state.beatSection, -1);
}

TEST_F(RhythmPlayer, StyleSetsTheIntervalUntilTheSliderMoves) {
    piano->mnuBeat_Click(2);
    EXPECT_EQ(piano->tmrBeat.interval, 170);
    EXPECT_EQ(piano->lblIntrHold.caption, "0");
    piano->Form_KeyDown(38, kShiftMask);
    EXPECT_EQ(piano->tmrBeat.interval, 104);
}

TEST_F(RhythmPlayer, FunctionKeysDriveTheTransport) {
    piano->Form_KeyDown(116, 0);  // F5: play
    EXPECT_TRUE(piano->tmrBeat.enabled);
    piano->Form_KeyDown(117, 0);  // F6: fill
    EXPECT_EQ(piano->lblBeatCtrl[kFill].foreColor, kLabelHighlight);
    piano->Form_KeyUp(117, 0);
    EXPECT_EQ(piano->lblBeatCtrl[kFill].foreColor, kLabelNormal);
    piano->Form_KeyDown(120, 0);  // F9: stop
    EXPECT_FALSE(piano->tmrBeat.enabled);
    dialogs.menuAnswers.push_back(MenuChoice{"mnuBeat", 1});
    piano->Form_KeyDown('I', kAltMask);
    EXPECT_EQ(piano->lblBeat.caption, "Rock");
    EXPECT_FALSE(dialogs.menus.back().eitherButton);
}

TEST_F(RhythmPlayer, MutedVolumeStrikesSilently) {
    piano->lblVolume_DblClick();
    press(kPlay);
    ticks(1);
    ASSERT_FALSE(midi.sent.empty());
    EXPECT_EQ(midi.sent[0][2], 0);
}

}  // namespace
}  // namespace tonvel
