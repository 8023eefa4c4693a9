#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "fakes/fake_mixer.h"
#include "mixer/mixer_mod.h"
#include "mixer/volume_control.h"

namespace tonvel {
namespace {

using testing::FakeMixer;
using testing::MixerWrite;
using Type = MixerControlType;

constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int kMaster = 0, kSynth = 3, kWave = 5;

class MixerModTest : public ::testing::Test {
  protected:
    FakeMixer device;
    MixerMod mixer{device};
};

TEST_F(MixerModTest, WritesPercentagesScaledToWideRangesAndClamped) {
    struct Case {
        int32_t minimum, maximum, value, written;
    };
    const std::vector<Case> cases = {
        {0, 65535, 100, 65535}, {0, 65535, 40, 26214}, {0, 65535, 0, 0},
        {0, 65535, 150, 65535}, {0, 65535, -5, 0},     {0, 65536, 40, 26214},
        {0, 101, 50, 51},       {0, 100, 37, 37},      {0, 1, 1, 1},
        {0, 1, 5, 1},           {10, 100, 3, 10},      {0, 65535, kInt32Max, 65535},
    };
    for (const auto& c : cases) {
        device.writes.clear();
        const MixerControl control{.id = 9, .minimum = c.minimum, .maximum = c.maximum};
        mixer.setControlValue(control, c.value);
        EXPECT_EQ(device.writes, (std::vector<MixerWrite>{{9, c.written}}))
            << c.minimum << ".." << c.maximum << " value " << c.value;
    }
}

TEST_F(MixerModTest, ReadsWideRangesBackAsPercentages) {
    struct Case {
        int32_t minimum, maximum, raw, read;
    };
    const std::vector<Case> cases = {
        {0, 65535, 65535, 100},         {0, 65535, 26214, 40}, {0, 65535, 0, 0},
        {0, 65536, 26214, 40},          {0, 100, 37, 37},      {0, 1, 1, 1},
        {0, kInt32Max, kInt32Max, 100},                        // raw x 100 does not fit in 32 bits
        {0, kInt32Max, 30'000'000, 1},  {10, 1010, 1010, 90},  // the minimum is taken off the
                                                               // percentage
    };
    ASSERT_TRUE(mixer.openMixer(0));
    for (const auto& c : cases) {
        const MixerControl control =
            device.addControl(MixerLine::Auxiliary, Type::Volume, c.minimum, c.maximum, c.raw);
        EXPECT_EQ(mixer.getControlValue(control), c.read)
            << c.minimum << ".." << c.maximum << " raw " << c.raw;
    }
}

TEST_F(MixerModTest, FillsTheSlotsOfEveryLineKindItFinds) {
    std::vector<MixerControl> volumes, mutes;
    for (int k = 0; k < kMixerLineCount; ++k) {
        const auto line = static_cast<MixerLine>(k);
        volumes.push_back(device.addControl(line, Type::Volume, 0, 1000 + k));
        if (k != kSynth) mutes.push_back(device.addControl(line, Type::Mute, 0, 1));
    }
    mutes.insert(mutes.begin() + kSynth, MixerControl{});

    ASSERT_TRUE(mixer.openMixer(0));
    EXPECT_EQ(mixer.mixerHandle, 0);
    for (int k = 0; k < kMixerLineCount; ++k) {
        EXPECT_EQ(mixer.lineControls[k], volumes[k]) << "line " << k;
        EXPECT_EQ(mixer.lineControls[k + 7], mutes[k]) << "line " << k;
    }
    for (int slot = 14; slot < MixerMod::kSlotCount; ++slot) {
        EXPECT_EQ(mixer.lineControls[slot], MixerControl{}) << "slot " << slot;
    }
}

TEST_F(MixerModTest, OpeningFailsForMissingDevicesAndLeavesTheTableEmpty) {
    struct Case {
        int devices;
        bool openSucceeds;
        int number;
        bool asked;  // whether the device was asked to open
    };
    const std::vector<Case> cases = {
        {1, true, -1, false},
        {1, true, 1, false},
        {0, true, 0, false},
        {1, false, 0, true},
    };
    for (const auto& c : cases) {
        FakeMixer other;
        other.devices = c.devices;
        other.openSucceeds = c.openSucceeds;
        other.addControl(MixerLine::MasterOutput, Type::Volume, 0, 65535);
        MixerMod mod{other};
        EXPECT_FALSE(mod.openMixer(c.number)) << c.number;
        EXPECT_EQ(other.openedDevices.size(), c.asked ? 1u : 0u) << c.number;
        EXPECT_FALSE(mod.mixerHandle.has_value());
        EXPECT_EQ(mod.lineControls[0], MixerControl{});
    }
}

TEST_F(MixerModTest, MuteWritesOneOrZeroAndReadsAnyNonZeroAsMuted) {
    const MixerControl mute = device.addControl(MixerLine::MasterOutput, Type::Mute, 0, 1);
    ASSERT_TRUE(mixer.openMixer(0));
    EXPECT_TRUE(mixer.setLineMute(7, true));
    EXPECT_TRUE(mixer.getLineMute(7));
    EXPECT_TRUE(mixer.setLineMute(7, false));
    EXPECT_FALSE(mixer.getLineMute(7));
    EXPECT_EQ(device.writes, (std::vector<MixerWrite>{{mute.id, 1}, {mute.id, 0}}));
}

TEST_F(MixerModTest, AFailedReadGivesZero) {
    device.addControl(MixerLine::MasterOutput, Type::Volume, 0, 65535, 65535);
    device.addControl(MixerLine::MasterOutput, Type::Mute, 0, 1, 1);
    ASSERT_TRUE(mixer.openMixer(0));
    device.readsFail = true;
    EXPECT_EQ(mixer.getLineVolume(0), 0);
    EXPECT_FALSE(mixer.getLineMute(7));
}

TEST_F(MixerModTest, SlotsOutsideTheTableReadNothingAndWriteNothing) {
    for (int k = 0; k < kMixerLineCount; ++k) {
        device.addControl(static_cast<MixerLine>(k), Type::Volume, 0, 100, 50);
    }
    ASSERT_TRUE(mixer.openMixer(0));
    const int reads = device.readCount;
    for (const int slot : {-1, 21, 27, 1000, std::numeric_limits<int>::min()}) {
        EXPECT_FALSE(mixer.setLineVolume(slot, 50)) << slot;
        EXPECT_FALSE(mixer.setLineMute(slot, true)) << slot;
        EXPECT_EQ(mixer.getLineVolume(slot), 0) << slot;
        EXPECT_FALSE(mixer.getLineMute(slot)) << slot;
    }
    EXPECT_TRUE(device.writes.empty());
    EXPECT_EQ(device.readCount, reads);
}

// A mixer with the lines the program cares about: master output and synthesizer.
class VolumeControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        masterVolume = device.addControl(MixerLine::MasterOutput, Type::Volume, 0, 65535, 32768);
        masterMute = device.addControl(MixerLine::MasterOutput, Type::Mute, 0, 1, 1);
        synthVolume = device.addControl(MixerLine::Synthesizer, Type::Volume, 0, 65535, 0);
        synthMute = device.addControl(MixerLine::Synthesizer, Type::Mute, 0, 1, 1);
        waveVolume = device.addControl(MixerLine::WaveOutput, Type::Volume, 0, 100, 20);
        device.addControl(MixerLine::WaveOutput, Type::Mute, 0, 1, 0);
    }

    // Records every event raised.
    void listen(VolumeControl& control) {
        control.VolumeChanged = [this](int32_t& v) { volumeEvents.push_back(v); };
        control.MuteChanged = [this](bool& m) { muteEvents.push_back(m); };
    }

    FakeMixer device;
    MixerControl masterVolume, masterMute, synthVolume, synthMute, waveVolume;
    std::vector<int32_t> volumeEvents;
    std::vector<bool> muteEvents;
};

TEST_F(VolumeControlTest, LivesWithAnOpenMixerAndStartsWithItsDefaults) {
    {
        VolumeControl control{device};
        EXPECT_EQ(device.openedDevices, std::vector<int>{0});
        EXPECT_TRUE(control.Enabled());
        EXPECT_TRUE(control.Timer1.enabled);
        EXPECT_EQ(control.Timer1.interval, 100);
        EXPECT_EQ(control.Volume(), 0);
        EXPECT_FALSE(control.Mute());
        EXPECT_EQ(control.DeviceToControl(), kWave);
        EXPECT_EQ(device.closeCount, 0);
    }
    EXPECT_EQ(device.closeCount, 1);
}

TEST_F(VolumeControlTest, TheStartupSettingsUnmuteTheMasterAndTheSynthAtFullVolume) {
    VolumeControl control{device};
    control.setDeviceToControl(kMaster);
    EXPECT_EQ(control.Volume(), 50);
    EXPECT_TRUE(control.Mute());
    control.setMute(false);
    control.setDeviceToControl(kSynth);
    control.setVolume(100);
    control.setMute(false);

    EXPECT_EQ(device.writes, (std::vector<MixerWrite>{
                                 {masterMute.id, 0}, {synthVolume.id, 65535}, {synthMute.id, 0}}));
    EXPECT_EQ(device.valueOf(MixerLine::MasterOutput, Type::Volume), 32768);
    EXPECT_EQ(control.Volume(), 100);
    EXPECT_FALSE(control.Mute());
}

TEST_F(VolumeControlTest, ChoosingALineRaisesBothEventsEvenWhenNothingChanged) {
    VolumeControl control{device};
    listen(control);
    control.setDeviceToControl(kWave);
    control.setDeviceToControl(kWave);
    control.setDeviceToControl(kMaster);
    EXPECT_EQ(volumeEvents, (std::vector<int32_t>{20, 20, 50}));
    EXPECT_EQ(muteEvents, (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(device.writes.empty());
}

TEST_F(VolumeControlTest, PollingRaisesEventsOnlyWhenTheLineChangedElsewhere) {
    VolumeControl control{device};
    control.setDeviceToControl(kSynth);
    listen(control);
    control.Timer1_Timer();
    EXPECT_TRUE(volumeEvents.empty());
    EXPECT_TRUE(muteEvents.empty());

    device.valueOf(MixerLine::Synthesizer, Type::Volume) = 26214;
    control.Timer1_Timer();
    control.Timer1_Timer();
    EXPECT_EQ(volumeEvents, std::vector<int32_t>{40});
    EXPECT_EQ(control.Volume(), 40);
    EXPECT_TRUE(muteEvents.empty());

    device.valueOf(MixerLine::Synthesizer, Type::Mute) = 0;
    control.Timer1_Timer();
    control.Timer1_Timer();
    EXPECT_EQ(muteEvents, std::vector<bool>{false});
    EXPECT_FALSE(control.Mute());
    EXPECT_EQ(volumeEvents.size(), 1u);
    EXPECT_TRUE(device.writes.empty());
}

TEST_F(VolumeControlTest, PollingWatchesOnlyTheChosenLine) {
    VolumeControl control{device};
    control.setDeviceToControl(kSynth);
    listen(control);
    device.valueOf(MixerLine::MasterOutput, Type::Volume) = 0;
    device.valueOf(MixerLine::MasterOutput, Type::Mute) = 0;
    control.Timer1_Timer();
    EXPECT_TRUE(volumeEvents.empty());
    EXPECT_TRUE(muteEvents.empty());
}

TEST_F(VolumeControlTest, AHandlerCanChangeTheValueThePollKeeps) {
    VolumeControl control{device};
    control.setDeviceToControl(kSynth);
    control.VolumeChanged = [](int32_t& v) { v = 77; };
    control.MuteChanged = [](bool& m) { m = !m; };
    device.valueOf(MixerLine::Synthesizer, Type::Volume) = 6554;
    device.valueOf(MixerLine::Synthesizer, Type::Mute) = 0;
    control.Timer1_Timer();
    EXPECT_EQ(control.Volume(), 77);
    EXPECT_TRUE(control.Mute());
    EXPECT_TRUE(device.writes.empty());
    EXPECT_EQ(device.valueOf(MixerLine::Synthesizer, Type::Volume), 6554);
}

TEST_F(VolumeControlTest, WhileDisabledWritesAreIgnoredAndPollingStops) {
    VolumeControl control{device};
    listen(control);
    control.setEnabled(false);
    EXPECT_FALSE(control.Timer1.enabled);
    control.setVolume(80);
    control.setMute(true);
    control.setDeviceToControl(kMaster);
    EXPECT_EQ(control.Volume(), 0);
    EXPECT_FALSE(control.Mute());
    EXPECT_EQ(control.DeviceToControl(), kWave);
    EXPECT_TRUE(device.writes.empty());
    EXPECT_TRUE(volumeEvents.empty());

    control.setEnabled(true);
    EXPECT_TRUE(control.Timer1.enabled);
    control.setVolume(80);
    EXPECT_EQ(device.writes, (std::vector<MixerWrite>{{waveVolume.id, 80}}));
}

TEST_F(VolumeControlTest, WithoutAMixerEverythingIsSilentAndReadsNothing) {
    device.devices = 0;
    VolumeControl control{device};
    listen(control);
    control.setDeviceToControl(kMaster);
    control.setMute(false);
    control.setDeviceToControl(kSynth);
    control.setVolume(100);
    control.setMute(false);
    EXPECT_TRUE(device.openedDevices.empty());
    EXPECT_EQ(volumeEvents, (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(muteEvents, (std::vector<bool>{false, false}));
    EXPECT_EQ(device.valueOf(MixerLine::Synthesizer, Type::Volume), 0);
    EXPECT_EQ(device.valueOf(MixerLine::Synthesizer, Type::Mute), 1);

    control.Timer1_Timer();
    EXPECT_EQ(control.Volume(), 0);
    EXPECT_EQ(volumeEvents.back(), 0);
}

TEST_F(VolumeControlTest, AMissingLineReadsNothingAndRefusesWrites) {
    VolumeControl control{device};
    listen(control);
    control.setDeviceToControl(static_cast<int32_t>(MixerLine::CompactDisc));
    control.setVolume(100);
    control.setMute(true);
    EXPECT_EQ(volumeEvents, std::vector<int32_t>{0});
    EXPECT_EQ(muteEvents, std::vector<bool>{false});
    EXPECT_EQ(device.writes, (std::vector<MixerWrite>{{0, 0}, {0, 0}}));
}

TEST_F(VolumeControlTest, KindsPastTheTableFailQuietly) {
    for (const int32_t kind : {14, 20, 21, kInt32Max}) {
        device.writes.clear();
        VolumeControl control{device};
        listen(control);
        volumeEvents.clear();
        muteEvents.clear();
        control.setDeviceToControl(kind);
        control.setVolume(100);
        control.setMute(true);
        control.Timer1_Timer();
        EXPECT_EQ(volumeEvents, (std::vector<int32_t>{0, 0})) << kind;
        EXPECT_EQ(muteEvents, (std::vector<bool>{false, false})) << kind;
        EXPECT_FALSE(control.Mute()) << kind;
        for (const auto& write : device.writes) EXPECT_EQ(write.controlId, 0u) << kind;
    }
}

}  // namespace
}  // namespace tonvel
