#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40;

class Sliders : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        start();
    }
};

TEST_F(Sliders, StartAtFullVolumeAndNormalTempo) {
    EXPECT_EQ(piano->state.noteVelocity, 127);
    EXPECT_EQ(piano->lblVol.caption, "44");
    EXPECT_EQ(piano->tmrBeat.interval, 115);
    EXPECT_EQ(piano->lblIntrHold.caption, "0");
    EXPECT_FALSE(piano->tmrBeat.enabled);
}

TEST_F(Sliders, VolumeFollowsThePointer) {
    struct Case {
        int button;
        float x;
        int velocity;
        const char* status;
    };
    const std::vector<Case> cases = {
        {0, 22, 64, "Volume : 50%"},
        {0, 44, 127, "Volume : 100%"},
        {0, 60, 127, "Volume : 100%"},
        {0, -5, 0, "Volume : Mute"},
        {1, 22 * 15 + 7 * 15, 64, "Volume : 50%"},  // the pointer centres on the mouse
        {2, 45, 127, "Volume : 100%"},              // twips taken as pixels
    };
    for (const auto& c : cases) {
        piano->lblVolume_MouseDown(c.button, 0, c.x, 0);
        piano->lblVolume_MouseUp();
        EXPECT_EQ(piano->state.noteVelocity, c.velocity) << c.x;
        EXPECT_EQ(piano->PCap.caption, c.status) << c.x;
        EXPECT_EQ(piano->lblVolume.toolTip, c.status) << c.x;
    }
}

TEST_F(Sliders, DoubleClickMutesAndKeysThenPlaySilently) {
    piano->lblVolume_DblClick();
    EXPECT_EQ(piano->state.noteVelocity, 0);
    EXPECT_EQ(piano->PCap.caption, "Volume : Mute");
    EXPECT_EQ(piano->VolPtr.rect.left, piano->lblVolume.rect.left);
    midi.clearSent();
    piano->Form_KeyDown('Z', 0);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 36 00"}));
}

TEST_F(Sliders, HoveringOnlyChangesThePictureAndTheText) {
    piano->lblVolume_MouseMove(0, 0, 3, 0);
    EXPECT_EQ(piano->state.noteVelocity, 127);
    EXPECT_EQ(piano->PCap.caption, "Volume");
    EXPECT_EQ(piano->VolPtr.picture, "volover");
    piano->lblIntro_MouseMove(0, 0, 0, 3);
    EXPECT_EQ(piano->tmrBeat.interval, 115);
    EXPECT_EQ(piano->PCap.caption, "Intro Tempo");
    piano->PianoSkin_MouseMove();
    EXPECT_EQ(piano->VolPtr.picture, "volnormal");
    EXPECT_EQ(piano->IntPtr.picture, "intronormal");
}

TEST_F(Sliders, ShiftArrowsNudgeTheVolumeDownToSilenceAndNoFurther) {
    piano->Form_KeyDown(kLeft, kShiftMask);
    EXPECT_EQ(piano->lblVol.caption, "41.8");
    for (int i = 1; i < 20; ++i) piano->Form_KeyDown(kLeft, kShiftMask);
    EXPECT_EQ(piano->state.noteVelocity, 0);
    piano->Form_KeyDown(kLeft, kShiftMask);
    EXPECT_EQ(piano->state.noteVelocity, 0);
    EXPECT_EQ(piano->lblVol.caption, "0");
    piano->Form_KeyUp(kLeft, kShiftMask);
    EXPECT_EQ(piano->VolPtr.picture, "volnormal");
    for (int i = 0; i < 25; ++i) piano->Form_KeyDown(kRight, kShiftMask);
    EXPECT_EQ(piano->state.noteVelocity, 127);
}

TEST_F(Sliders, ShiftUpSpeedsTheTempoTenAtATime) {
    for (int i = 1; i <= 10; ++i) {
        piano->Form_KeyDown(kUp, kShiftMask);
        EXPECT_EQ(piano->lblIntrHold.caption, std::to_string(10 * i));
        EXPECT_EQ(piano->tmrBeat.interval, 115 - 11 * i);
    }
    EXPECT_EQ(piano->PCap.caption, "Tempo : 100");
    piano->Form_KeyDown(kUp, kShiftMask);
    EXPECT_EQ(piano->tmrBeat.interval, 5);
    for (int i = 0; i < 30; ++i) piano->Form_KeyDown(kDown, kShiftMask);
    EXPECT_EQ(piano->tmrBeat.interval, 225);
    EXPECT_EQ(piano->lblIntrHold.caption, "-100");
    piano->lblIntro_DblClick();
    EXPECT_EQ(piano->tmrBeat.interval, 115);
    EXPECT_EQ(piano->PCap.caption, "Tempo : Normal");
    EXPECT_EQ(piano->lblIntro.toolTip, "Tempo : Normal");
}

}  // namespace
}  // namespace tonvel
