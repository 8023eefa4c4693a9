#include <gtest/gtest.h>
#include <pulse/simple.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/scoped_environment.h"
#include "midi/jack/jack_server_socket.h"
#include "midi/realtime/realtime_thread.h"
#include "midi/synth/audio_buffering.h"
#include "midi/synth/audio_output_chain.h"
#include "midi/synth/pipewire_output.h"
#include "midi/synth/pulse_audio_output.h"
#include "synth_test_support.h"

namespace tonvel {
namespace {

using namespace tonvel::testing;

struct PeriodText {
    const char* text;
    std::optional<int> frames;
};

class AudioPeriodText : public ::testing::TestWithParam<PeriodText> {};

TEST_P(AudioPeriodText, IsAPowerOfTwoInRange) {
    EXPECT_EQ(parseAudioPeriod(GetParam().text), GetParam().frames) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    AudioBuffering, AudioPeriodText,
    ::testing::Values(PeriodText{"64", 64}, PeriodText{"128", 128}, PeriodText{"1024", 1024},
                      PeriodText{"8192", 8192}, PeriodText{"32", std::nullopt},
                      PeriodText{"16384", std::nullopt}, PeriodText{"0", std::nullopt},
                      PeriodText{"-128", std::nullopt}, PeriodText{"96", std::nullopt},
                      PeriodText{"300", std::nullopt}, PeriodText{"128k", std::nullopt},
                      PeriodText{" 128", std::nullopt}, PeriodText{"", std::nullopt}));

TEST(AudioBuffering, TheShortPeriodOnlyWithRealtimePriorityUnlessTheUserChose) {
    struct Case {
        int chosen;
        bool realtime;
        int period;
    };
    for (const Case& c :
         {Case{0, true, AudioBuffering::kShortPeriod}, Case{0, false, AudioBuffering::kSafePeriod},
          Case{512, true, 512}, Case{64, false, 64}}) {
        const AudioBuffering buffering{c.chosen};
        EXPECT_EQ(buffering.periodFor(c.realtime), c.period) << c.chosen << " " << c.realtime;
        EXPECT_EQ(buffering.chosenByUser(), c.chosen != 0);
    }
}

TEST(AudioBuffering, ADropoutDoublesThePeriodOncePerStallUpToALimit) {
    using std::chrono::milliseconds;
    struct Case {
        int chosen;
        int current;
        milliseconds since;
        int after;
    };
    for (const Case& c :
         {Case{0, 128, milliseconds(5000), 256}, Case{0, 256, milliseconds(1000), 512},
          Case{0, 512, milliseconds(60000), 512}, Case{0, 1024, milliseconds(5000), 1024},
          Case{0, 128, milliseconds(999), 128}, Case{0, 128, milliseconds(0), 128},
          Case{128, 128, milliseconds(5000), 128}, Case{2048, 2048, milliseconds(5000), 2048}}) {
        const AudioBuffering buffering{c.chosen};
        EXPECT_EQ(buffering.periodAfterDropout(c.current, c.since), c.after)
            << "chosen " << c.chosen << ", period " << c.current << ", " << c.since.count()
            << " ms since it last grew";
    }
}

// An output that starts or refuses as told and logs what it was asked.
class ScriptedOutput : public AudioOutput {
  public:
    ScriptedOutput(std::string name, bool starts, std::vector<std::string>& log)
        : name_(std::move(name)), starts_(starts), log_(log) {}
    bool start(SoundSource&) override {
        log_.push_back("start " + name_);
        running_ = starts_;
        return starts_;
    }
    void stop() override {
        log_.push_back("stop " + name_);
        running_ = false;
    }
    AudioStatus status() const override {
        return running_ ? AudioStatus{name_, 128, true} : AudioStatus{};
    }

  private:
    std::string name_;
    bool starts_;
    bool running_ = false;
    std::vector<std::string>& log_;
};

TEST(AudioOutputChain, TheFirstOutputThatStartsCarriesTheSound) {
    auto engine = SynthEngine::create(kSystemSoundFonts / "TimGM6mb.sf2", {});
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    struct Case {
        std::vector<bool> starts;
        std::string carrier;  // empty: none starts
        std::vector<std::string> tried;
    };
    for (const Case& c : {Case{{true, true}, "a", {"start a"}},
                          Case{{false, true, true}, "b", {"start a", "start b"}},
                          Case{{false, false}, "", {"start a", "start b"}}}) {
        std::vector<std::string> log;
        std::vector<std::unique_ptr<AudioOutput>> outputs;
        for (size_t i = 0; i < c.starts.size(); ++i)
            outputs.push_back(
                std::make_unique<ScriptedOutput>(std::string(1, char('a' + i)), c.starts[i], log));
        AudioOutputChain chain(std::move(outputs), false);
        EXPECT_EQ(chain.start(*engine), !c.carrier.empty());
        EXPECT_EQ(log, c.tried);
        EXPECT_EQ(chain.status().driver, c.carrier);
        log.clear();
        chain.stop();
        EXPECT_EQ(log, c.carrier.empty() ? std::vector<std::string>{}
                                         : std::vector<std::string>{"stop " + c.carrier})
            << "only the output that runs is stopped";
        EXPECT_TRUE(chain.status().driver.empty());
    }
}

using testing::ScopedEnvironment;

TEST(PulseAudioOutput, WithoutAServerItRefusesAndTheChainMovesOn) {
    auto engine = SynthEngine::create(kSystemSoundFonts / "TimGM6mb.sf2", {});
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    ScopedEnvironment server("PULSE_SERVER", "unix:/nonexistent/tonvel-test-pulse");
    PulseAudioOutput output;
    EXPECT_FALSE(output.start(*engine));
    EXPECT_TRUE(output.status().driver.empty());
    output.stop();
    EXPECT_FALSE(output.start(*engine)) << "a second try fails the same way";
}

// The loudest sample the server's monitor of the default sink hears in `frames`.
float heardPeak(size_t frames) {
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, 48000, 1};
    int error = 0;
    pa_simple* record = pa_simple_new(nullptr, "tonvel-test", PA_STREAM_RECORD, "@DEFAULT_MONITOR@",
                                      "monitor", &format, nullptr, nullptr, &error);
    if (record == nullptr) return -1.0F;
    std::vector<float> samples(frames);
    pa_simple_read(record, samples.data(), samples.size() * sizeof(float), &error);
    pa_simple_free(record);
    return peakOf(samples);
}

// Against a PulseAudio server (scripts/mixer_test.sh starts one).
TEST(PulseAudioOutput, PlaysThroughTheServerWithThePeriodAsked) {
    if (std::getenv("TONVEL_PULSE_TESTS") == nullptr)
        GTEST_SKIP() << "set TONVEL_PULSE_TESTS=1 with a PulseAudio server running";
    auto engine = SynthEngine::create(kSystemSoundFonts / "TimGM6mb.sf2", {});
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    for (const int chosen : {0, 512}) {
        PulseAudioOutput output(AudioBuffering{chosen});
        ASSERT_TRUE(output.start(*engine)) << chosen;
        const AudioStatus status = output.status();
        EXPECT_EQ(status.driver, "pulseaudio");
        EXPECT_EQ(status.periodFrames, AudioBuffering{chosen}.periodFor(realtimeAvailable()));
        EXPECT_EQ(status.realTime, realtimeAvailable())
            << "the thread that renders is raised wherever this process may do it";
        engine->play(programChange(0, 19));
        engine->play(noteOn(0, 60, 127));
        // The sink may be turned down (the mixer tests leave it at 25 %).
        EXPECT_GT(heardPeak(24000), 1e-3F) << "the held organ note reaches the sink";
        engine->play(noteOff(0, 60));
        output.stop();
        EXPECT_TRUE(output.status().driver.empty());
        engine->silence();
        EXPECT_LT(heardPeak(4800), kSilence) << "nothing plays once stopped";
    }
}

TEST(PipeWireOutput, WithoutAServerItRefusesAndTheChainMovesOn) {
    auto engine = SynthEngine::create(kSystemSoundFonts / "TimGM6mb.sf2", {});
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    ScopedEnvironment runtime("PIPEWIRE_RUNTIME_DIR", "/nonexistent/tonvel-test-pipewire");
    ScopedEnvironment remote("PIPEWIRE_REMOTE", "tonvel-test-none");
    PipeWireOutput output;
    EXPECT_FALSE(output.start(*engine));
    EXPECT_TRUE(output.status().driver.empty());
    EXPECT_FALSE(output.start(*engine)) << "a second try fails the same way";
}

// Against a PipeWire session (scripts/pipewire_test.sh starts one): its own stream goes before
// its PulseAudio side, and asks for the period as the graph's quantum.
TEST(PipeWireOutput, PlaysThroughTheServerWithThePeriodAsked) {
    if (std::getenv("TONVEL_PIPEWIRE_TESTS") == nullptr)
        GTEST_SKIP() << "set TONVEL_PIPEWIRE_TESTS=1 with a PipeWire session running";
    auto engine = SynthEngine::create(kSystemSoundFonts / "TimGM6mb.sf2", {});
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    for (const int chosen : {0, 512}) {
        auto chain = AudioOutputChain::systemDefault(AudioBuffering{chosen});
        ASSERT_TRUE(chain->start(*engine)) << chosen;
        const AudioStatus status = chain->status();
        EXPECT_EQ(status.driver, "pipewire");
        EXPECT_EQ(status.periodFrames, AudioBuffering{chosen}.periodFor(realtimeAvailable()));
        EXPECT_EQ(status.realTime, realtimeAvailable());
        engine->play(programChange(0, 19));
        engine->play(noteOn(0, 60, 127));
        EXPECT_GT(heardPeak(24000), 1e-3F) << "the held organ note reaches the sink";
        engine->play(noteOff(0, 60));
        chain->stop();
        EXPECT_TRUE(chain->status().driver.empty());
        engine->silence();
        EXPECT_LT(heardPeak(4800), kSilence) << "nothing plays once stopped";
    }
}

// The script stops the session manager first: a stream nobody links would play nowhere.
TEST(PipeWireOutput, AStreamNoSinkTakesIsRefused) {
    if (std::getenv("TONVEL_PIPEWIRE_UNLINKED") == nullptr)
        GTEST_SKIP()
            << "set TONVEL_PIPEWIRE_UNLINKED=1 with PipeWire running without a session manager";
    auto engine = SynthEngine::create(kSystemSoundFonts / "TimGM6mb.sf2", {});
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    PipeWireOutput output;
    EXPECT_FALSE(output.start(*engine));
    EXPECT_TRUE(output.status().driver.empty());
}

// Against a JACK server (scripts/jack_midi_test.sh starts one): JACK goes first.
TEST(AudioOutputChain, AJackServerCarriesTheSoundAtItsOwnPeriod) {
    if (std::getenv("TONVEL_JACK_TESTS") == nullptr || !jackServerMayAnswer())
        GTEST_SKIP() << "set TONVEL_JACK_TESTS=1 with a JACK server running";
    auto engine = SynthEngine::create(kSystemSoundFonts / "TimGM6mb.sf2", {});
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    auto chain = AudioOutputChain::systemDefault(AudioBuffering{1024});
    ASSERT_TRUE(chain->start(*engine));
    const AudioStatus status = chain->status();
    EXPECT_EQ(status.driver, "jack");
    const char* period = std::getenv("TONVEL_JACK_PERIOD");
    EXPECT_EQ(status.periodFrames, period ? std::atoi(period) : 256)
        << "the server's period, not the one asked for";
    chain->stop();
}

}  // namespace
}  // namespace tonvel
