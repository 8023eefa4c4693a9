#include "fakes/fake_sound_choice.h"
#include "fakes/piano_fixture.h"
#include "shell/accessible_names.h"

namespace tonvel {
namespace {

using Kind = SoundFontNews::Kind;

class SoundChoiceTest : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        soundChoice = &sound;
    }
    // Ticks the load's timer as the front end would, while it runs.
    void tickSound() {
        for (int i = 0; i < 20 && piano->tmrSound.enabled; ++i) piano->tmrSound_Timer();
    }
    std::string soundMark() {
        for (const auto& item : accessibleItems(*piano))
            if (item.kind == AccessibleKind::SoundMark) return item.name;
        return {};
    }
    testing::FakeSoundChoice sound;
};

TEST_F(SoundChoiceTest, StartsWithTheKeptSoundFontAndEffects) {
    struct Case {
        std::map<std::string, std::string> kept;
        std::string soundFont;
        bool reverb, chorus;
    };
    const Case cases[] = {
        {{}, "", true, true},
        {{{"Sound/SoundFont", "/k/Mine.sf3"}, {"Sound/Reverb", "0"}}, "/k/Mine.sf3", false, true},
        {{{"Sound/Chorus", "0"}}, "", true, false},
    };
    for (const Case& c : cases) {
        preferences.texts = c.kept;
        sound.started.clear();
        start();
        ASSERT_EQ(sound.started, std::vector<std::string>{c.soundFont});
        EXPECT_EQ(sound.reverb, c.reverb);
        EXPECT_EQ(sound.chorus, c.chorus);
        EXPECT_EQ(piano->mnu_reverb.checked, c.reverb);
        EXPECT_EQ(piano->mnu_chorus.checked, c.chorus);
    }
}

TEST_F(SoundChoiceTest, AChosenSoundFontLoadsShowingItsProgressAndIsKept) {
    start();
    dialogs.menuAnswers.push_back(MenuChoice{"mnu_soundfont"});
    dialogs.fileAnswers.push_back("/music/Big.sf2");
    piano->Form_KeyDown('S', kAltMask);
    ASSERT_EQ(sound.loads, std::vector<std::string>{"/music/Big.sf2"});
    EXPECT_EQ(dialogs.fileDialogs.back(), "Sound Font: /usr/share/sounds/sf2");
    EXPECT_EQ(soundMark(), "Sound: loading Big, reverb on, chorus on");

    sound.news = {{.kind = Kind::Loading, .path = "/music/Big.sf2", .bytesRead = 19u << 20}};
    piano->tmrSound_Timer();
    EXPECT_EQ(piano->PCap.caption, "Loading Sound : Big.sf2  19 MB");
    EXPECT_TRUE(piano->statusShowsLoading());
    EXPECT_TRUE(preferences.texts["Sound/SoundFont"].empty()) << "not before it loaded";

    sound.news = {{.kind = Kind::Loaded, .path = "/music/Big.sf2"}};
    tickSound();
    EXPECT_EQ(piano->PCap.caption, "Sound : Big.sf2");
    EXPECT_EQ(preferences.texts["Sound/SoundFont"], "/music/Big.sf2");
    EXPECT_FALSE(piano->tmrSound.enabled);
    EXPECT_EQ(soundMark(), "Sound: Big, reverb on, chorus on");
}

TEST_F(SoundChoiceTest, ARefusedSoundFontIsToldWithItsReasonAndNotKept) {
    preferences.texts["Sound/SoundFont"] = "/k/Old.sf2";
    start();
    ASSERT_TRUE(piano->Form_FileDropped("/music/Broken.SF3"));
    ASSERT_EQ(sound.loads, std::vector<std::string>{"/music/Broken.SF3"});
    sound.news = {{.kind = Kind::Refused, .path = "/music/Broken.SF3", .reason = "it is odd"}};
    tickSound();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Unable to Load the SoundFont!!\r/music/Broken.SF3\rit is odd");
    EXPECT_EQ(piano->PCap.caption, "Sound : REFUSED");
    EXPECT_EQ(preferences.texts["Sound/SoundFont"], "/k/Old.sf2");
    EXPECT_FALSE(piano->Form_FileDropped("/music/notes.txt"));
    EXPECT_EQ(sound.loads.size(), 1u);
}

TEST_F(SoundChoiceTest, EffectsToggleAndAreKept) {
    start();
    piano->mnu_reverb_Click();
    EXPECT_EQ(piano->PCap.caption, "Reverb : OFF");
    EXPECT_FALSE(sound.reverb);
    EXPECT_EQ(preferences.texts["Sound/Reverb"], "0");
    piano->mnu_chorus_Click();
    piano->mnu_chorus_Click();
    EXPECT_TRUE(sound.chorus);
    EXPECT_EQ(preferences.texts["Sound/Chorus"], "1");
    EXPECT_EQ(soundMark(), "Sound: GM, reverb off, chorus on");
}

}  // namespace
}  // namespace tonvel
