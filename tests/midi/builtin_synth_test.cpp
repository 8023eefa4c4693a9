#include "midi/synth/builtin_synth.h"

#include <gtest/gtest.h>

#include <fstream>

#include "midi/synth/soundfont_choice.h"
#include "synth_test_support.h"

namespace tonvel {
namespace {

using namespace tonvel::testing;

class BuiltinSynthTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!haveSoundFont("TimGM6mb.sf2")) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    }

    std::shared_ptr<FakeAudioOutput::Log> audio = std::make_shared<FakeAudioOutput::Log>();
    BuiltinSynth synth{onlySoundFont("TimGM6mb.sf2"), std::make_unique<FakeAudioOutput>(audio)};
};

TEST_F(BuiltinSynthTest, LoadsTheSoundFontOnceAcrossReopening) {
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(synth.open());
        synth.close();
    }
    ASSERT_TRUE(synth.open());  // open while open: closes first
    ASSERT_TRUE(synth.open());
    EXPECT_EQ(synth.soundFontLoads(), 1);
    EXPECT_EQ(synth.engine()->soundFontCount(), 1);
    EXPECT_EQ(audio->starts, 1) << "the sound stream outlives a close";
    EXPECT_EQ(audio->stops, 0);
    synth.stopAudio();
    EXPECT_EQ(audio->stops, 1);
    EXPECT_FALSE(synth.isOpen());
    ASSERT_TRUE(synth.open());
    EXPECT_EQ(audio->starts, 2);
}

TEST_F(BuiltinSynthTest, NothingLoadsBeforeTheFirstOpen) {
    EXPECT_EQ(synth.engine(), nullptr);
    EXPECT_EQ(synth.soundFontLoads(), 0);
    EXPECT_FALSE(synth.send(noteOn(0, 60, 100)));
}

TEST_F(BuiltinSynthTest, CloseLeavesNoHeldNoteForTheNextOpen) {
    ASSERT_TRUE(synth.open());
    ASSERT_TRUE(synth.send(programChange(0, 19)));
    ASSERT_TRUE(synth.send(noteOn(0, 60, 127)));
    ASSERT_GT(peakOf(synth.engine()->renderInterleaved(4800)), 1e-3F);

    synth.close();
    EXPECT_FALSE(synth.send(noteOff(0, 60)));
    ASSERT_TRUE(synth.open());
    // The running stream renders the block after the close: that one is already quiet.
    EXPECT_LT(peakOf(synth.engine()->renderInterleaved(256)), 2e-3F);
    EXPECT_LT(peakOf(synth.engine()->renderInterleaved(512)), kSilence);
    EXPECT_LT(peakOf(synth.engine()->renderInterleaved(4800)), 1e-3F);  // reverb residue
}

TEST_F(BuiltinSynthTest, RefusedAudioLeavesItClosedButLoaded) {
    audio->accept = false;
    EXPECT_FALSE(synth.open());
    EXPECT_FALSE(synth.isOpen());
    EXPECT_FALSE(synth.send(noteOn(0, 60, 100)));
    synth.close();
    EXPECT_EQ(audio->stops, 0);

    audio->accept = true;
    EXPECT_TRUE(synth.open());
    EXPECT_EQ(synth.soundFontLoads(), 1);
}

// The SoundFont kept from the last run plays unless one was given for the run; one that does
// not load is told once, with its reason, and the search's plays.
TEST_F(BuiltinSynthTest, StartsWithTheKeptSoundFontUnlessOneIsGiven) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / "kept_soundfonts";
    std::filesystem::create_directories(dir);
    const auto mine = dir / "Mine.sf2", empty = dir / "Empty.sf2";
    std::filesystem::remove(mine);
    std::filesystem::create_symlink(kSystemSoundFonts / "TimGM6mb.sf2", mine);
    std::ofstream{empty};
    struct Case {
        std::filesystem::path given, kept, sounds;
        std::string refusal;
    };
    const Case cases[] = {
        {{}, {}, kSystemSoundFonts / "TimGM6mb.sf2", ""},
        {{}, mine, mine, ""},
        {"/given/by/hand.sf2", mine, kSystemSoundFonts / "TimGM6mb.sf2", ""},
        {{}, empty, kSystemSoundFonts / "TimGM6mb.sf2", "the file is empty"},
    };
    for (const Case& c : cases) {
        BuiltinSynth fresh{onlySoundFont("TimGM6mb.sf2"), std::make_unique<FakeAudioOutput>(audio)};
        SoundFontChoice choice(fresh, c.given);
        choice.startWith(c.kept.string(), false, true);
        ASSERT_TRUE(fresh.open());
        EXPECT_EQ(fresh.soundFont(), c.sounds) << c.kept;
        EXPECT_EQ(choice.currentSound().soundFont, c.sounds.string());
        EXPECT_FALSE(choice.currentSound().reverb);
        EXPECT_EQ(choice.busy(), !c.refusal.empty());
        const SoundFontNews news = choice.tick();
        EXPECT_EQ(news.reason, c.refusal);
        EXPECT_FALSE(choice.busy());
    }
}

TEST(BuiltinSynth, StopsTheAudioBeforeGoingAway) {
    if (!haveSoundFont("TimGM6mb.sf2")) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    auto audio = std::make_shared<FakeAudioOutput::Log>();
    {
        BuiltinSynth synth(onlySoundFont("TimGM6mb.sf2"), std::make_unique<FakeAudioOutput>(audio));
        ASSERT_TRUE(synth.open());
    }
    EXPECT_EQ(audio->stops, 1);
}

TEST(BuiltinSynth, WithoutASoundFontNeverOpensAndLooksOnlyOnce) {
    auto audio = std::make_shared<FakeAudioOutput::Log>();
    BuiltinSynth synth({"/nonexistent/tonvel", {"TimGM6mb.sf2"}},
                       std::make_unique<FakeAudioOutput>(audio));
    EXPECT_FALSE(synth.open());
    EXPECT_FALSE(synth.open());
    EXPECT_EQ(synth.soundFontLoads(), 0);
    EXPECT_EQ(audio->starts, 0);
    EXPECT_FALSE(synth.send(noteOn(0, 60, 100)));
}

}  // namespace
}  // namespace tonvel
