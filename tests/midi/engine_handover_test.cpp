#include "midi/synth/engine_handover.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <fstream>
#include <random>
#include <set>
#include <thread>

#include "midi/synth/engine_load.h"
#include "synth_test_support.h"

namespace tonvel {
namespace {

using namespace tonvel::testing;

constexpr double kRate = 48000.0;

std::unique_ptr<SynthEngine> smallEngine() {
    return SynthEngine::create(kSystemSoundFonts / "TimGM6mb.sf2", {});
}

void renderSeconds(EngineHandover& handover, double seconds) {
    std::vector<float> left(256), right(256);
    for (int done = 0; done < seconds * kRate; done += 256)
        handover.render(256, left.data(), right.data());
}

int voices(SynthEngine* engine) {
    return fluid_synth_get_active_voice_count(engine->synth());
}

// Voices whose key still holds them: a note left on. (FluidSynth leaves a voice marked as
// sustained after the pedal has let it go, so the pedal is judged by the voices ending.)
int heldVoices(SynthEngine* engine) {
    std::array<fluid_voice_t*, 256> list{};
    fluid_synth_get_voicelist(engine->synth(), list.data(), static_cast<int>(list.size()), -1);
    int held = 0;
    for (fluid_voice_t* voice : list)
        if (voice && fluid_voice_is_on(voice)) ++held;
    return held;
}

class EngineHandoverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!haveSoundFont("TimGM6mb.sf2")) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
        handover.install(smallEngine());
    }
    void offerNew() {
        auto engine = smallEngine();
        ASSERT_TRUE(handover.offer(engine));
    }
    EngineHandover handover{kRate, 0.89F};
};

// Random playing over several changes of engine, at random moments, waiting or not: once every
// key and the pedal are let go, no engine holds a voice, and every engine taken over from is let
// go.
TEST_F(EngineHandoverTest, NoNoteOutlivesItsKeyAcrossChanges) {
    for (const unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 random(seed);
        // Odd seeds send as the sending thread does, without waiting: nothing readies a
        // program here, so every message goes through.
        const auto send = [&](uint32_t message) {
            if (seed % 2 == 0) return handover.play(message);
            ASSERT_TRUE(handover.tryPlay(message));
        };
        std::set<std::pair<int, int>> held;
        size_t offered = 0, freed = 0;
        for (int step = 0; step < 600; ++step) {
            constexpr int kChannels[] = {0, 1, 9};
            const int channel = kChannels[random() % 3];
            const int note = 40 + static_cast<int>(random() % 40);
            switch (random() % 8) {
                case 0:
                case 1:
                    send(noteOn(channel, note, 100));
                    held.emplace(channel, note);
                    break;
                case 2:
                case 3:
                    if (!held.empty()) {
                        auto at = held.begin();
                        std::advance(at, random() % held.size());
                        send(noteOff(at->first, at->second));
                        held.erase(at);
                    }
                    break;
                case 4:
                    send(0xB0 | channel | 64 << 8 | (random() % 2 ? 127 : 0) << 16);
                    break;
                case 5:
                    send(programChange(channel, static_cast<int>(random() % 128)));
                    break;
                case 6:
                    if (random() % 16 == 0) {
                        auto engine = smallEngine();
                        if (handover.offer(engine)) ++offered;
                    }
                    break;
                default:
                    renderSeconds(handover, 0.01 * static_cast<double>(random() % 20));
                    freed += handover.collect().size();
            }
        }
        for (const auto& [channel, note] : held) send(noteOff(channel, note));
        for (int channel = 0; channel < 16; ++channel) send(0xB0 | channel | 64 << 8);
        renderSeconds(handover, 0.1);
        ASSERT_GT(offered, 0u) << seed;
        for (SynthEngine* engine : handover.held())
            EXPECT_EQ(heldVoices(engine), 0) << "seed " << seed;
        // Long releases (a cymbal, a pad) ring out; then every engine taken over from goes.
        renderSeconds(handover, 20.0);
        freed += handover.collect().size();
        EXPECT_EQ(handover.held().size(), 1u) << "seed " << seed;
        EXPECT_EQ(voices(handover.playing()), 0) << "seed " << seed;
        EXPECT_EQ(freed, offered) << "seed " << seed;
    }
}

// The engine that takes over plays as the one before would have: its channels were told the
// same banks, programs, controllers, bend range and bend; a note held across the change rings
// on in the old one until its key is let go, and the new note sounds in the new one only.
TEST_F(EngineHandoverTest, TheNewEngineTakesOverTheChannelsAndTheOldOneRingsOut) {
    SynthEngine* old = handover.playing();
    handover.play(programChange(0, 40));
    handover.play(0xB0 | 2 | 7 << 8 | 50 << 16);
    for (const uint32_t rpn :
         {0xB0u | 3 | 101 << 8, 0xB0u | 3 | 100 << 8, 0xB0u | 3 | 6 << 8 | 12 << 16})
        handover.play(rpn);
    handover.play(0xE3 | 0x10 << 8 | 0x50 << 16);
    handover.play(noteOn(0, 60, 100));
    offerNew();
    renderSeconds(handover, 0.1);
    EXPECT_EQ(handover.playing(), old) << "taken over at the next message, not before";

    handover.play(noteOn(1, 64, 100));
    SynthEngine* now = handover.playing();
    ASSERT_NE(now, old);
    int font = 0, bank = 0, program = 0, value = 0;
    fluid_synth_get_program(now->synth(), 0, &font, &bank, &program);
    EXPECT_EQ(program, 40);
    fluid_synth_get_cc(now->synth(), 2, 7, &value);
    EXPECT_EQ(value, 50);
    fluid_synth_get_pitch_wheel_sens(now->synth(), 3, &value);
    EXPECT_EQ(value, 12);
    fluid_synth_get_pitch_bend(now->synth(), 3, &value);
    EXPECT_EQ(value, 0x10 | 0x50 << 7);

    renderSeconds(handover, 0.1);
    EXPECT_GT(voices(old), 0) << "the held note rings on";
    const int oldVoices = voices(old);
    EXPECT_GT(voices(now), 0);
    handover.play(noteOn(0, 67, 100));
    EXPECT_EQ(voices(old), oldVoices) << "new notes go to the new engine only";

    renderSeconds(handover, 2.0);
    EXPECT_TRUE(handover.collect().empty()) << "not while its note is held";
    handover.play(noteOff(0, 60));
    renderSeconds(handover, 3.0);
    const auto freed = handover.collect();
    ASSERT_EQ(freed.size(), 1u);
    EXPECT_EQ(freed[0].get(), old);
}

TEST(EngineLoad, RefusesWhatIsNoSoundFontWithItsReason) {
    if (!haveSoundFont("TimGM6mb.sf2")) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    const auto dir =
        std::filesystem::temp_directory_path() / ("tonvel-load-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "empty.sf2");
    std::ofstream(dir / "text.sf2") << "RIFF? no, a letter\n";
    {
        // A SoundFont cut short: its header promises what the file no longer holds.
        std::ifstream whole(kSystemSoundFonts / "TimGM6mb.sf2", std::ios::binary);
        std::string start(1 << 16, '\0');
        whole.read(start.data(), static_cast<std::streamsize>(start.size()));
        std::ofstream(dir / "cut.sf2", std::ios::binary) << start;
    }
    struct Case {
        std::filesystem::path path;
        const char* reason;  // empty when it loads
    };
    const Case cases[] = {
        {dir / "missing.sf2", "it is not a file"},
        {dir, "it is not a file"},
        {dir / "empty.sf2", "the file is empty"},
        {dir / "text.sf2", "the file is not a SoundFont (SF2 or SF3)"},
        {dir / "cut.sf2", "FluidSynth cannot read it"},
        {kSystemSoundFonts / "TimGM6mb.sf2", ""},
    };
    for (const Case& c : cases) {
        EngineLoad load(c.path, {}, nullptr);
        while (!load.finished()) std::this_thread::yield();
        EXPECT_EQ(load.failure().substr(0, std::string(c.reason).size()), c.reason) << c.path;
        EXPECT_EQ(load.take() == nullptr, *c.reason != '\0') << c.path;
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tonvel
