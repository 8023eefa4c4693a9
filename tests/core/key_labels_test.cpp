#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

class KeyLabels : public testing::PianoFixture {};

TEST_F(KeyLabels, CtrlKTogglesAllLabelsAndTheCheckMarkOnce) {
    start();
    piano->Form_GotFocus();
    ASSERT_TRUE(piano->mnu_Rshowklbl.checked);
    piano->Form_KeyDown('K', kCtrlMask);
    EXPECT_FALSE(piano->mnu_Rshowklbl.checked);
    for (const auto& label : piano->KK) EXPECT_FALSE(label.visible);
    piano->Form_KeyDown('K', kCtrlMask);
    EXPECT_TRUE(piano->mnu_Rshowklbl.checked);
    for (const auto& label : piano->KK) EXPECT_TRUE(label.visible);
}

TEST_F(KeyLabels, ActivationRestoresTheSavedStateAndExitSavesTheCheckMark) {
    struct Case {
        std::string firstLine;
        bool shown;
    };
    const std::vector<Case> cases = {
        {" 0             1             0 ", true},
        {" 0             0             0 ", false},
    };
    for (const auto& c : cases) {
        std::string file(defaultResource(kResourceSettings));
        file.replace(0, c.firstLine.size(), c.firstLine);
        writeFile("con_set.dat", file);
        start();
        piano->Form_GotFocus();
        EXPECT_EQ(piano->KK[20].visible, c.shown);
        piano->mnu_Rshowklbl_Click();
        piano->Form_GotFocus();
        EXPECT_EQ(piano->KK[20].visible, c.shown) << "each activation brings the saved state back";
        piano->mnu_Rshowklbl_Click();
        piano->Form_Unload();
        EXPECT_EQ(readFile("con_set.dat").substr(15, 1), c.shown ? "0" : "1");
    }
}

TEST_F(KeyLabels, LabelsSitOnTheirKeysInTheirColours) {
    start();
    EXPECT_EQ(piano->KK[0].caption, "S");
    EXPECT_EQ(piano->KK[0].foreColor, 0xFFFFFFu);
    EXPECT_EQ(piano->KK[15].caption, "Z");
    EXPECT_EQ(piano->KK[15].foreColor, 0u);
    EXPECT_EQ(piano->KK[14].rect.left, 410);
    EXPECT_TRUE(piano->KK[22].bold);
    EXPECT_FLOAT_EQ(piano->KK[22].fontSize, 9.75f);
}

TEST_F(KeyLabels, PadNotesFromTheSettingsOverrideTheLayoutsDefaults) {
    start();
    EXPECT_EQ(piano->state.drumPadNotes[1], 56);
    const auto keys = piano->state.pianoKeyCodes;
    piano->mnu_KeyboardType_Click();
    piano->mnu_KeyboardType_Click();
    EXPECT_EQ(piano->state.pianoKeyCodes, keys);
    EXPECT_EQ(piano->state.pianoKeyCodes.size(), 36u);
    EXPECT_TRUE(piano->mnu_KeyboardType.checked);
    EXPECT_EQ(piano->state.drumPadNotes[1], 56) << "the layout item keeps the pads' sounds";
}

TEST_F(KeyLabels, OtherKeyboardsMessage) {
    start();
    piano->mnu_keyOther_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, "..:: Other Keyboard Support ::..");
    EXPECT_EQ(dialogs.messages[0].text,
              "To add other Keyboard Support,    \rPlease contact us at:\rsupport@tonvel.org     ");
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Information);
}

}  // namespace
}  // namespace tonvel
