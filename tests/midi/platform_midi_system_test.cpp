#include "midi/ports/platform_midi_system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "midi/synth/fluid_audio_output.h"
#include "midi/ports/sendable_message.h"
#include "synth_test_support.h"

namespace tonvel {
namespace {

using namespace tonvel::testing;

struct MessageCase {
    uint32_t message;
    bool sendable;
};

class SendableMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(SendableMessage, OnlyChannelMessagesWithSevenBitData) {
    EXPECT_EQ(isSendableShortMessage(GetParam().message), GetParam().sendable)
        << std::hex << GetParam().message;
}

INSTANTIATE_TEST_SUITE_P(
    Messages, SendableMessage,
    ::testing::Values(MessageCase{0x7F3C90, true},     // note-on
                      MessageCase{0x003C80, true},     // note-off
                      MessageCase{0x00000B0, true},    // bank select
                      MessageCase{0x2899, true},       // drum channel
                      MessageCase{0x7F7FEF, true},     // pitch bend, top
                      MessageCase{0x8028C0, true},     // program change: third byte unsent
                      MessageCase{0xFF28D0, true},     // channel pressure: same
                      MessageCase{0x803C90, false},    // velocity 128
                      MessageCase{0x7F8090, false},    // note 128
                      MessageCase{0x0080C0, false},    // program 128
                      MessageCase{0x7F3C70, false},    // no status byte
                      MessageCase{0x0000F8, false},    // clock: one byte, not ours to send
                      MessageCase{0x0000F0, false}));  // system exclusive

std::unique_ptr<PlatformMidiSystem> withFakeAudio(std::shared_ptr<FakeAudioOutput::Log> audio) {
    return std::make_unique<PlatformMidiSystem>(
        std::make_unique<BuiltinSynth>(onlySoundFont("TimGM6mb.sf2"),
                                       std::make_unique<FakeAudioOutput>(std::move(audio))),
        std::make_unique<SystemMidiPorts>());
}

TEST(PlatformMidiSystem, BuiltinSynthPlaysOnlyValidMessages) {
    if (!haveSoundFont("TimGM6mb.sf2")) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    auto midi = withFakeAudio(std::make_shared<FakeAudioOutput::Log>());
    EXPECT_FALSE(midi->sendShortMessage(noteOn(0, 60, 100))) << "nothing open yet";

    ASSERT_TRUE(midi->open(-1));
    EXPECT_FALSE(midi->sendShortMessage(noteOn(0, 60, 128)));
    EXPECT_LT(peakOf(midi->builtinSynth().engine()->renderInterleaved(4800)), kSilence)
        << "a refused message must not reach the synthesizer";
    EXPECT_TRUE(midi->sendShortMessage(noteOn(0, 60, 100)));
    EXPECT_GT(peakOf(midi->builtinSynth().engine()->renderInterleaved(4800)), 1e-3F);
}

TEST(PlatformMidiSystem, OpeningAMissingPortClosesTheSynthAndFails) {
    if (!haveSoundFont("TimGM6mb.sf2")) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    auto audio = std::make_shared<FakeAudioOutput::Log>();
    auto midi = withFakeAudio(audio);
    ASSERT_TRUE(midi->open(-1));

    const auto portCount = static_cast<int>(midi->outputNames().size());
    for (int device : {portCount, portCount + 7, -2}) {
        EXPECT_FALSE(midi->open(device)) << device;
        EXPECT_FALSE(midi->sendShortMessage(noteOn(0, 60, 100))) << device;
    }
    EXPECT_EQ(audio->stops, 1);
}

TEST(PlatformMidiSystem, RefreshingTheSynthKeepsItsSoundStream) {
    if (!haveSoundFont("TimGM6mb.sf2")) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    auto audio = std::make_shared<FakeAudioOutput::Log>();
    auto midi = withFakeAudio(audio);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(midi->open(-1));
        EXPECT_TRUE(midi->sendShortMessage(noteOn(0, 60, 100)));
        midi->close();
        EXPECT_FALSE(midi->sendShortMessage(noteOn(0, 62, 100))) << "refused while closed";
    }
    EXPECT_EQ(audio->starts, 1);
    EXPECT_EQ(audio->stops, 0);
}

// Points JACK clients at a server name nobody uses, for the life of the object.
class NoJackServer {
  public:
    NoJackServer() {
        if (const char* old = std::getenv("JACK_DEFAULT_SERVER")) saved_ = old;
        setenv("JACK_DEFAULT_SERVER", "tonvel-test-no-such-server", 1);
    }
    ~NoJackServer() {
        if (saved_) {
            setenv("JACK_DEFAULT_SERVER", saved_->c_str(), 1);
        } else {
            unsetenv("JACK_DEFAULT_SERVER");
        }
    }

  private:
    std::optional<std::string> saved_;
};

TEST(PlatformMidiSystem, NoMidiServicesMeansNoPortsAndNoOpen) {
    if (std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "this machine has ALSA MIDI";
    NoJackServer noJack;
    PlatformMidiSystem midi;
    for (int round = 0; round < 2; ++round) {  // the second asks the services again
        EXPECT_TRUE(midi.outputNames().empty());
        EXPECT_FALSE(midi.open(0));
        EXPECT_FALSE(midi.sendShortMessage(noteOn(0, 60, 100)));
    }
}

TEST(FluidAudioOutput, FailsWhenNoDriverStarts) {
    if (!haveSoundFont("TimGM6mb.sf2")) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    auto engine = SynthEngine::create(kSystemSoundFonts / "TimGM6mb.sf2", {});
    for (const auto& drivers : std::vector<std::vector<std::string>>{{}, {"no-such-driver"}}) {
        FluidAudioOutput output(drivers);
        EXPECT_FALSE(output.start(*engine));
        EXPECT_TRUE(output.activeDriver().empty());
        output.stop();
    }
}

}  // namespace
}  // namespace tonvel
