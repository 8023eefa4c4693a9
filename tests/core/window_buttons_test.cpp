#include <functional>

#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

class WindowButtons : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        start();
    }
};

TEST_F(WindowButtons, MenuButtonsPopTheirMenusBelowThemAndStayLitMeanwhile) {
    struct Case {
        int button;
        int x, y;
        const char* firstItem;
    };
    const std::vector<Case> cases = {
        {0, 90, 54, "mnu_refresh"},
        {1, 112, 45, "mnu_KType"},
        {2, 134, 38, "mnu_shortcuts"},
    };
    for (const auto& c : cases) {
        std::string pictureWhileOpen;
        dialogs.whileMenuOpen = [&] {
            pictureWhileOpen = piano->Butt[static_cast<size_t>(c.button)].picture;
        };
        piano->Butt_Click(c.button);
        EXPECT_EQ(pictureWhileOpen, "butt" + std::to_string(c.button));
        const auto& popped = dialogs.menus.back();
        EXPECT_EQ(popped.x, c.x) << c.button;
        EXPECT_EQ(popped.y, c.y) << c.button;
        EXPECT_FALSE(popped.eitherButton);
        EXPECT_EQ(popped.menu.children.front().name, c.firstItem);
        EXPECT_EQ(piano->Butt[static_cast<size_t>(c.button)].picture, "") << "dark after closing";
    }
}

TEST_F(WindowButtons, SettingsMenuListsTheDevicesWithTheOpenOneTicked) {
    midi.names = {"Port A"};
    piano->midiOut.buildDeviceMenu(piano->mnuDevice);
    piano->mnuDevice_Click(1);
    dialogs.menuAnswers.push_back(MenuChoice{"mnuDevice", 0});
    piano->Form_KeyDown('S', kAltMask);
    const auto& devices = dialogs.menus.back().menu.children[1];
    EXPECT_EQ(devices.caption, "Midi &Device");
    ASSERT_EQ(devices.children.size(), 2u);
    EXPECT_EQ(devices.children[0].caption, "Midi Mapper");
    EXPECT_TRUE(devices.children[1].checked);
    EXPECT_EQ(midi.openedDevices.back(), -1) << "the chosen item reopened the synthesizer";
}

TEST_F(WindowButtons, StayOnTopToggles) {
    piano->tmrCap.enabled = false;
    piano->Form_KeyDown('T', kCtrlMask);
    EXPECT_EQ(piano->Tag, "1");
    EXPECT_EQ(piano->PCap.caption, "Stay on Top : ON");
    EXPECT_EQ(piano->Butt[4].picture, "butt4");
    EXPECT_FALSE(piano->tmrCap.enabled);
    piano->Butt_Click(4);
    EXPECT_EQ(piano->Tag, "0");
    EXPECT_EQ(piano->PCap.caption, "Stay on Top : OFF");
    EXPECT_EQ(piano->Butt[4].picture, "");
    EXPECT_EQ(window.topmostCalls, (std::vector<bool>{true, false}));
}

TEST_F(WindowButtons, StayOnTopIsSavedOffAfterAClose) {
    piano->Butt_Click(4);
    piano->Form_QueryUnload();
    piano->Form_Unload();
    EXPECT_EQ(readFile("con_set.dat").substr(28, 3), " 0 ");
    EXPECT_FALSE(std::filesystem::exists(dir / "ins.ins"));
}

TEST_F(WindowButtons, DocumentsAndMail) {
    piano->helpDirectory = "/opt/help";
    dialogs.menuAnswers.push_back(MenuChoice{"mnu_Rmanual", -1});
    piano->lblOver_MouseDown(2, 0, 30, 40);
    EXPECT_TRUE(dialogs.menus.back().eitherButton);
    EXPECT_EQ(dialogs.menus.back().x, 30);
    piano->mnu_manual_Click();
    ASSERT_EQ(shell.documents.size(), 2u);
    EXPECT_EQ(shell.documents[0], "/opt/help/manual.htm");
    EXPECT_EQ(shell.documents[1], shell.documents[0]);
    piano->mnu_bug_Click();
    EXPECT_EQ(shell.urls.back(), "mailto:support@tonvel.org?subject=TNV3 Bug Report!");
}

TEST_F(WindowButtons, ResetDarkensTheLightsWithoutTouchingTheKeys) {
    piano->Form_KeyDown('Z', 0);
    piano->Form_KeyDown(98, 0);
    midi.clearSent();
    piano->Form_KeyDown(116, kCtrlMask);
    EXPECT_FALSE(piano->shpKeys[0].visible);
    EXPECT_EQ(piano->shpDrums[10].fillColor, kPadAtRest);
    EXPECT_EQ(piano->PCap.caption, "Refreshing Piano...");
    EXPECT_EQ(piano->state.keyPlayed['Z'], 1);
}

// The about and update windows open from their menu items and keys, and a stay-on-top main
// window steps out of the topmost band while they are shown.
TEST_F(WindowButtons, AuxiliaryWindowsOpenModallyBelowNoTopmostMainWindow) {
    struct Case {
        const char* what;
        std::function<void(frmPiano&, testing::RecordingDialogs&)> open;
        const char* window;
    };
    const std::vector<Case> cases = {
        {"Check for Updates item",
         [](frmPiano& p, testing::RecordingDialogs& d) {
             d.menuAnswers.push_back(MenuChoice{"mnu_update", -1});
             p.Butt_Click(0);
         },
         "update"},
        {"Ctrl+U", [](frmPiano& p, testing::RecordingDialogs&) { p.Form_KeyDown('U', kCtrlMask); },
         "update"},
        {"About item",
         [](frmPiano& p, testing::RecordingDialogs& d) {
             d.menuAnswers.push_back(MenuChoice{"mnu_about", -1});
             p.Butt_Click(2);
         },
         "about"},
        {"Shift+F1",
         [](frmPiano& p, testing::RecordingDialogs&) { p.Form_KeyDown(112, kShiftMask); }, "about"},
    };
    for (const bool onTop : {false, true}) {
        piano->Tag = onTop ? "1" : "0";
        for (const auto& c : cases) {
            windows.shown.clear();
            window.topmostCalls.clear();
            c.open(*piano, dialogs);
            ASSERT_EQ(windows.shown.size(), 1u) << c.what;
            EXPECT_EQ(windows.shown[0].which, c.window) << c.what;
            if (onTop) {
                EXPECT_EQ(window.topmostCalls, (std::vector<bool>{false, true})) << c.what;
                EXPECT_EQ(windows.shown[0].topmostCallsBefore, 1u) << c.what;
            } else {
                EXPECT_TRUE(window.topmostCalls.empty()) << c.what;
            }
            EXPECT_EQ(piano->Tag, onTop ? "1" : "0") << c.what;
        }
    }
}

}  // namespace
}  // namespace tonvel
