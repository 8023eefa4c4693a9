#include "windows/splash.h"

#include <filesystem>
#include <string>
#include <vector>

#include "fakes/fake_mixer.h"
#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

// Records what the splash asks of the program; makes the main window on first use.
class SplashRun : public testing::PianoFixture, public SplashHost {
  protected:
    void loadMainWindow() override {
        if (!piano) {
            namesFileThereAtMainLoad = std::filesystem::exists(dir / "ins.ins");
            licenceThereAtMainLoad = std::filesystem::exists(dir / "license.txt");
            piano = std::make_unique<frmPiano>(
                FrmPianoServices{midi, dialogs, window, shell, windows}, dir.string());
            piano->Form_Initialize();
            piano->Form_Load();
            // Lights left on, as a window in use would have them.
            piano->shpKeys[3].visible = piano->wkeys[3].visible = true;
            events.push_back("main loaded");
        }
    }
    MainWindowKeyLights mainWindowKeyLights() override { return {piano->shpKeys, piano->wkeys}; }
    void applyMainWindowOutline() override { events.push_back("outline"); }
    void showMainWindow() override { events.push_back("main shown"); }
    void unloadSplash() override {
        events.push_back("splash unloaded");
        screen->Form_Unload();
    }

    void makeSplash() { screen = std::make_unique<splash>(*this, mixer, dir.string()); }

    testing::FakeMixer mixer;
    std::unique_ptr<splash> screen;
    std::vector<std::string> events;
    bool namesFileThereAtMainLoad = false;
    bool licenceThereAtMainLoad = false;
};

TEST_F(SplashRun, LoadWritesTheFilesThenLoadsTheMainWindowWithItsLightsOff) {
    makeSplash();
    screen->Form_Load();
    EXPECT_TRUE(namesFileThereAtMainLoad);
    EXPECT_TRUE(licenceThereAtMainLoad);
    EXPECT_EQ(events, std::vector<std::string>{"main loaded"});
    for (size_t i = 0; i < piano->shpKeys.size(); ++i) {
        EXPECT_FALSE(piano->shpKeys[i].visible) << i;
        EXPECT_FALSE(piano->wkeys[i].visible) << i;
    }
    EXPECT_TRUE(screen->tmrPRG.enabled);
    EXPECT_EQ(screen->load[0].caption, "Please wait...");
    EXPECT_EQ(screen->load[1].caption, "Please wait...");
}

// The window is drawn before its load: until then it has opened no mixer.
TEST_F(SplashRun, TheMixerOpensWithTheLoad) {
    makeSplash();
    EXPECT_TRUE(mixer.openedDevices.empty());
    EXPECT_FALSE(screen->loaded());
    EXPECT_EQ(screen->load[0].caption, "Please wait...") << "drawn before the load as after it";
    screen->Form_Load();
    EXPECT_EQ(mixer.openedDevices, std::vector<int>{0});
    EXPECT_TRUE(screen->loaded());
    screen->Form_Unload();
    EXPECT_EQ(mixer.closeCount, 1);
}

TEST_F(SplashRun, LoadLetsTheSynthesizerBeHeard) {
    mixer.addControl(MixerLine::MasterOutput, MixerControlType::Volume, 0, 65535, 30000);
    mixer.addControl(MixerLine::MasterOutput, MixerControlType::Mute, 0, 1, 1);
    mixer.addControl(MixerLine::Synthesizer, MixerControlType::Volume, 0, 65535, 1000);
    mixer.addControl(MixerLine::Synthesizer, MixerControlType::Mute, 0, 1, 1);
    makeSplash();
    screen->Form_Load();
    EXPECT_EQ(mixer.valueOf(MixerLine::MasterOutput, MixerControlType::Mute), 0);
    EXPECT_EQ(mixer.valueOf(MixerLine::MasterOutput, MixerControlType::Volume), 30000)
        << "the master volume is the user's";
    EXPECT_EQ(mixer.valueOf(MixerLine::Synthesizer, MixerControlType::Volume), 65535);
    EXPECT_EQ(mixer.valueOf(MixerLine::Synthesizer, MixerControlType::Mute), 0);
}

// The counter's ticks, with and without a mixer that has the lines.
TEST_F(SplashRun, TicksShowTheProgressThenHandOverToTheMainWindow) {
    for (const bool withSynthLine : {true, false}) {
        piano.reset();
        events.clear();
        mixer = testing::FakeMixer{};
        if (withSynthLine)
            mixer.addControl(MixerLine::Synthesizer, MixerControlType::Volume, 0, 100);
        makeSplash();
        screen->Form_Load();
        EXPECT_TRUE(screen->VOLCN->Enabled());

        const std::vector<std::string> texts = {"Loading Settings...", "Midi Device...OK",
                                                "Midi Device...OK", "Starting Piano...",
                                                "Starting Piano..."};
        for (size_t tick = 0; tick < texts.size(); ++tick) {
            screen->tmrPRG_Timer();
            EXPECT_EQ(screen->load[0].caption, texts[tick]) << "tick " << tick + 1;
            EXPECT_EQ(screen->load[1].caption, texts[tick]) << "the twin follows";
            EXPECT_TRUE(screen->loaded());
        }
        EXPECT_EQ(events, (std::vector<std::string>{"main loaded", "outline"}))
            << "the outline is applied once, at the first tick";

        const int closesBefore = mixer.closeCount;
        screen->tmrPRG_Timer();
        EXPECT_EQ(events.back(), "main shown");
        EXPECT_EQ(events[events.size() - 2], "splash unloaded");
        EXPECT_FALSE(screen->tmrPRG.enabled);
        EXPECT_FALSE(screen->loaded());
        EXPECT_GT(mixer.closeCount, closesBefore) << "unloading closes the mixer";
    }
}

TEST_F(SplashRun, TheMainWindowsActivationUnloadsASplashStillUp) {
    makeSplash();
    screen->Form_Load();
    piano->unloadSplash = [this] {
        if (screen->loaded()) unloadSplash();
    };
    piano->Form_GotFocus();
    EXPECT_FALSE(screen->loaded());
    EXPECT_FALSE(screen->tmrPRG.enabled);
    piano->Form_GotFocus();
    EXPECT_EQ(std::count(events.begin(), events.end(), "splash unloaded"), 1);
}

}  // namespace
}  // namespace tonvel
