// The pulse tests run against a private PulseAudio server with a null sink, reached through
// ALSA's pulse plugin; scripts/mixer_test.sh provides one, muted and at 25% volume.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "mixer/backends/alsa_mixer_device.h"
#include "mixer/mixer_mod.h"
#include "mixer/volume_control.h"

namespace tonvel {
namespace {

using Type = MixerControlType;
constexpr int kMaster = 0, kSynth = 3;
constexpr int kMasterVolume = 0, kMasterMute = 7;

TEST(AlsaMixerWithoutServer, AMissingControlDeviceIsNoMixerAndSaysNothing) {
    ::testing::internal::CaptureStderr();
    {
        AlsaMixerDevice device("tonvel_no_such_control");
        EXPECT_EQ(device.deviceCount(), 0);
        EXPECT_FALSE(device.open(0));
        EXPECT_EQ(device.findControl(MixerLine::MasterOutput, Type::Volume).id, 0u);
        EXPECT_FALSE(device.setValue(1, 0));
        EXPECT_FALSE(device.getValue(1).has_value());

        VolumeControl control{device};
        control.setDeviceToControl(kMaster);
        control.setMute(false);
        control.setVolume(100);
        control.Timer1_Timer();
        EXPECT_EQ(control.Volume(), 0);
        EXPECT_FALSE(control.Mute());
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

class AlsaMixerOnPulse : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::getenv("TONVEL_PULSE_TESTS") == nullptr) {
            GTEST_SKIP() << "set TONVEL_PULSE_TESTS=1 with a PulseAudio server running";
        }
        ASSERT_EQ(device.deviceCount(), 1) << "the default ALSA mixer is not PulseAudio's";
        ASSERT_TRUE(mixer.openMixer(0));
    }

    // What a program that opens the mixer afresh sees.
    static int32_t valueSeenElsewhere(MixerLine line, Type type) {
        AlsaMixerDevice other;
        if (!other.open(0)) return -1;
        return other.getValue(other.findControl(line, type).id).value_or(-1);
    }

    AlsaMixerDevice device;
    MixerMod mixer{device};
};

// Runs first: it reads what the script set up with pactl.
TEST_F(AlsaMixerOnPulse, ReadsTheStateOtherProgramsLeft) {
    VolumeControl control{device};
    std::vector<int32_t> volumes;
    std::vector<bool> mutes;
    control.VolumeChanged = [&](int32_t& v) { volumes.push_back(v); };
    control.MuteChanged = [&](bool& m) { mutes.push_back(m); };
    control.setDeviceToControl(kMaster);
    EXPECT_EQ(volumes, std::vector<int32_t>{25});
    EXPECT_EQ(mutes, std::vector<bool>{true});
}

TEST_F(AlsaMixerOnPulse, TheMasterHasAWideVolumeAndASwitchButThereIsNoSynth) {
    const MixerControl volume = mixer.lineControls[kMasterVolume];
    EXPECT_NE(volume.id, 0u);
    EXPECT_EQ(volume.minimum, 0);
    EXPECT_GT(volume.maximum, 100);
    const MixerControl mute = mixer.lineControls[kMasterMute];
    EXPECT_NE(mute.id, 0u);
    EXPECT_EQ(mute, (MixerControl{mute.id, 0, 1}));
    EXPECT_EQ(mixer.lineControls[kSynth], MixerControl{});
    EXPECT_FALSE(device.setValue(volume.id, volume.maximum + 1));
    EXPECT_FALSE(device.setValue(mute.id, 2));
}

TEST_F(AlsaMixerOnPulse, VolumePercentagesRoundTrip) {
    const int32_t maximum = mixer.lineControls[kMasterVolume].maximum;
    struct Case {
        int32_t percent;
        int32_t raw;
    };
    const std::vector<Case> cases = {
        {100, maximum},
        {40, static_cast<int32_t>((maximum * 40 + 50) / 100)},
        {0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(mixer.setLineVolume(kMasterVolume, c.percent)) << c.percent;
        EXPECT_EQ(mixer.getLineVolume(kMasterVolume), c.percent);
        EXPECT_EQ(valueSeenElsewhere(MixerLine::MasterOutput, Type::Volume), c.raw) << c.percent;
    }
}

TEST_F(AlsaMixerOnPulse, MuteRoundTrips) {
    for (const bool on : {true, false, true}) {
        EXPECT_TRUE(mixer.setLineMute(kMasterMute, on)) << on;
        EXPECT_EQ(mixer.getLineMute(kMasterMute), on);
        EXPECT_EQ(valueSeenElsewhere(MixerLine::MasterOutput, Type::Mute), on ? 1 : 0) << on;
    }
}

TEST_F(AlsaMixerOnPulse, PollingSeesChangesMadeByOtherPrograms) {
    VolumeControl control{device};
    control.setDeviceToControl(kMaster);
    control.setVolume(100);
    std::vector<int32_t> volumes;
    control.VolumeChanged = [&](int32_t& v) { volumes.push_back(v); };

    AlsaMixerDevice other;
    ASSERT_TRUE(other.open(0));
    const MixerControl volume = other.findControl(MixerLine::MasterOutput, Type::Volume);
    ASSERT_TRUE(other.setValue(volume.id, volume.maximum * 3 / 10));
    // The server tells the other clients asynchronously.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (volumes.empty() && std::chrono::steady_clock::now() < deadline) {
        control.Timer1_Timer();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(volumes, std::vector<int32_t>{30});
    EXPECT_EQ(control.Volume(), 30);
}

// Runs last: the script checks with pactl that the master output is left sounding.
TEST_F(AlsaMixerOnPulse, TheStartupSettingsUnmuteTheMaster) {
    ASSERT_TRUE(mixer.setLineMute(kMasterMute, true));
    VolumeControl control{device};
    control.setDeviceToControl(kMaster);
    ASSERT_TRUE(control.Mute());
    control.setMute(false);
    control.setDeviceToControl(kSynth);
    control.setVolume(100);
    control.setMute(false);
    EXPECT_EQ(valueSeenElsewhere(MixerLine::MasterOutput, Type::Mute), 0);
    EXPECT_EQ(control.Volume(), 100);
}

}  // namespace
}  // namespace tonvel
