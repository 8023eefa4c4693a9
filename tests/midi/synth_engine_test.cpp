#include "midi/synth/synth_engine.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "midi/synth/synth_gain.h"
#include "synth_test_support.h"

namespace tonvel {
namespace {

using namespace tonvel::testing;

constexpr int kHalfSecond = 24000;

std::unique_ptr<SynthEngine> smallEngine() {
    if (!haveSoundFont("TimGM6mb.sf2")) return nullptr;
    return SynthEngine::create(kSystemSoundFonts / "TimGM6mb.sf2", {});
}

TEST(SynthEngine, NoteOnSoundsAndNothingElseIsSilent) {
    auto engine = smallEngine();
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";

    EXPECT_LT(peakOf(engine->renderInterleaved(kHalfSecond)), kSilence);
    engine->play(noteOn(0, 60, 100));
    EXPECT_GT(peakOf(engine->renderInterleaved(kHalfSecond)), 1e-3F);
}

TEST(SynthEngine, NoteOffEndsTheNote) {
    auto engine = smallEngine();
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";

    engine->play(noteOn(0, 60, 100));
    engine->renderInterleaved(kHalfSecond);
    engine->play(noteOff(0, 60));
    engine->renderInterleaved(4 * kHalfSecond);  // release and reverb tail
    EXPECT_LT(peakOf(engine->renderInterleaved(kHalfSecond)), kSilence);
}

TEST(SynthEngine, SilenceCutsHeldNotesAndTheReverbAtOnce) {
    auto engine = smallEngine();
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";

    engine->play(programChange(0, 19));  // organ: sustains for as long as it is held
    engine->play(noteOn(0, 60, 127));
    engine->play(noteOn(9, 49, 127));  // crash cymbal, long ring
    engine->renderInterleaved(kHalfSecond);
    engine->silence();
    EXPECT_LT(peakOf(engine->renderInterleaved(512)), kSilence);
    // The reverb keeps a faint residue for a few tens of milliseconds, below -54 dBFS;
    // left alone it would ring at about -24 dBFS.
    EXPECT_LT(peakOf(engine->renderInterleaved(kHalfSecond)), 2e-3F);
}

double relativeDifference(const std::vector<float>& a, const std::vector<float>& b) {
    double diff = 0.0;
    double level = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        diff += std::fabs(a[i] - b[i]);
        level += std::fabs(a[i]);
    }
    return diff / level;
}

std::vector<float> middleC(SynthEngine& engine) {
    engine.play(noteOn(0, 60, 100));
    return engine.renderInterleaved(kHalfSecond);
}

// Difference between one note played on each of two programs, in fresh synthesizers.
double timbreDistance(int programA, int programB) {
    auto a = smallEngine();
    auto b = smallEngine();
    a->play(programChange(0, programA));
    b->play(programChange(0, programB));
    return relativeDifference(middleC(*a), middleC(*b));
}

TEST(SynthEngine, ProgramChangeChangesTheInstrument) {
    if (!haveSoundFont("TimGM6mb.sf2")) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    EXPECT_LT(timbreDistance(0, 0), 1e-6);
    EXPECT_GT(timbreDistance(0, 40), 0.5);  // piano against violin
}

TEST(SynthEngine, SilenceRestoresTheDefaultProgram) {
    auto engine = smallEngine();
    auto fresh = smallEngine();
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";

    engine->play(programChange(0, 40));
    engine->silence();
    EXPECT_LT(relativeDifference(middleC(*fresh), middleC(*engine)), 0.05);
}

TEST(SynthEngine, RefusesAMissingOrBrokenSoundFont) {
    EXPECT_EQ(SynthEngine::create("/nonexistent/tonvel.sf2", {}), nullptr);
    const auto notASoundFont = std::filesystem::temp_directory_path() /
                               ("tonvel-not-a-" + std::to_string(getpid()) + ".sf2");
    { std::ofstream(notASoundFont) << "RIFF, but not really"; }
    EXPECT_EQ(SynthEngine::create(notASoundFont, {}), nullptr);
    std::filesystem::remove(notASoundFont);
}

std::unique_ptr<SynthEngine> engineLoading(const char* soundFont, bool onDemand) {
    if (!haveSoundFont(soundFont)) return nullptr;
    SynthConfig config;
    config.samplesOnDemand = onDemand;
    return SynthEngine::create(kSystemSoundFonts / soundFont, config);
}

// Samples read at the program change sound exactly as samples read with the SoundFont, for
// every program, before and after a reset, and for the drums.
TEST(SynthEngine, SamplesLoadedOnDemandSoundTheSame) {
    struct Case {
        int channel;
        int program;  // -1: none sent
        int note;
        bool resetFirst;
    };
    for (const char* soundFont : {"TimGM6mb.sf2", "FluidR3_GM.sf2"}) {
        for (const Case& c :
             {Case{0, -1, 60, false}, Case{0, 19, 60, false}, Case{0, 40, 67, false},
              Case{0, 73, 72, false}, Case{0, 19, 60, true}, Case{9, -1, 38, false}}) {
            auto onDemand = engineLoading(soundFont, true);
            auto upFront = engineLoading(soundFont, false);
            if (!onDemand || !upFront) break;
            std::vector<float> heard[2];
            for (SynthEngine* engine : {onDemand.get(), upFront.get()}) {
                if (c.resetFirst) {
                    engine->play(programChange(c.channel, 40));
                    engine->silence();
                }
                if (c.program >= 0) engine->play(programChange(c.channel, c.program));
                engine->play(noteOn(c.channel, c.note, 110));
                heard[engine == upFront.get()] = engine->renderInterleaved(kHalfSecond);
            }
            EXPECT_GT(peakOf(heard[0]), 1e-3F) << soundFont << " program " << c.program;
            // A drum kit read on demand sounds within a percent of one read up front.
            EXPECT_LT(relativeDifference(heard[0], heard[1]), 0.02)
                << soundFont << " program " << c.program << " note " << c.note;
        }
    }
}

// A note still sounding keeps the samples of its program when the channel moves on.
TEST(SynthEngine, ANoteOutlivesTheChangeAwayFromItsProgram) {
    auto engine = engineLoading("TimGM6mb.sf2", true);
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    engine->play(programChange(0, 19));  // organ: sounds while held
    engine->play(noteOn(0, 60, 127));
    engine->renderInterleaved(4800);
    for (int program : {40, 0, 73}) engine->play(programChange(0, program));
    EXPECT_GT(peakOf(engine->renderInterleaved(kHalfSecond)), 1e-2F);
    engine->play(noteOff(0, 60));
    engine->renderInterleaved(4 * kHalfSecond);
}

// Programs prepared one after another, as a keyboard steps through them: each sounds once
// chosen, and only those in use and the last few prepared keep their samples.
TEST(SynthEngine, EachPreparedProgramSoundsAndFewStayInMemory) {
    auto engine = engineLoading("TimGM6mb.sf2", true);
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    std::mt19937 random(3);
    for (int step = 0; step < 40; ++step) {
        const int program = static_cast<int>(random() % 128);
        engine->prepare(0, program);
        engine->play(programChange(0, program));
        engine->play(noteOn(0, 60, 110));
        EXPECT_GT(peakOf(engine->renderInterleaved(4800)), 1e-3F) << "program " << program;
        engine->play(noteOff(0, 60));
        // In use: channel 1's program, the drum kit, the piano on the other channels.
        EXPECT_LE(engine->pinnedPrograms(), SynthEngine::kKeptPrograms + 3) << "step " << step;
    }
}

// Levels with the gain the built-in synthesizer picks for each bundled set.
class SynthLevel : public ::testing::TestWithParam<std::string> {
  protected:
    std::unique_ptr<SynthEngine> engine() const {
        const auto path = kSystemSoundFonts / GetParam();
        if (!std::filesystem::is_regular_file(path)) return nullptr;
        SynthConfig config;
        config.gain = synthGainFor(path);
        return SynthEngine::create(path, config);
    }
};

TEST_P(SynthLevel, SinglePianoNoteIsLoudButLeavesHeadroom) {
    auto synth = engine();
    if (!synth) GTEST_SKIP() << GetParam() << " not installed";
    synth->play(noteOn(0, 60, 127));
    const double peak = dbfs(peakOf(synth->renderInterleaved(4 * kHalfSecond)));
    EXPECT_GT(peak, -14.0);
    EXPECT_LT(peak, -10.0);
}

TEST_P(SynthLevel, FullChordWithDrumsDoesNotClip) {
    const std::vector<std::vector<int>> chords = {
        {36, 43, 48, 52, 55, 60, 64, 67, 72, 76},
        {60, 61, 62, 63, 64, 65, 66, 67, 68, 69},
        {72, 76, 79, 84, 88, 91, 96, 100, 103, 108},
    };
    for (const auto& chord : chords) {
        auto synth = engine();
        if (!synth) GTEST_SKIP() << GetParam() << " not installed";
        for (int note : chord) synth->play(noteOn(0, note, 127));
        for (int drum : {36, 38, 42, 49}) synth->play(noteOn(9, drum, 127));
        EXPECT_LT(peakOf(synth->renderInterleaved(4 * kHalfSecond)), 0.9F)
            << "chord from note " << chord.front();
    }
}

INSTANTIATE_TEST_SUITE_P(BundledSoundFonts, SynthLevel,
                         ::testing::Values("FluidR3_GM.sf2", "TimGM6mb.sf2"),
                         [](const auto& info) { return info.param.substr(0, 6); });

}  // namespace
}  // namespace tonvel
