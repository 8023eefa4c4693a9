#include <map>

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

struct Shown {
    size_t label;
    const char* caption;
    bool bold;
    float size;
    int top;  // pixels
};

void expectShown(const frmPiano& piano, const std::vector<Shown>& shown, const char* layout) {
    for (const Shown& s : shown) {
        const Label& label = piano.KK[s.label];
        EXPECT_EQ(label.caption, s.caption) << layout << ", label " << s.label;
        EXPECT_EQ(label.bold, s.bold) << layout << ", label " << s.label;
        EXPECT_FLOAT_EQ(label.fontSize, s.size) << layout << ", label " << s.label;
        EXPECT_EQ(label.rect.top, s.top) << layout << ", label " << s.label;
    }
}

// The US captions and their fonts, as drawn when the layout cannot tell.
const std::vector<Shown> kUsLabels = {
    {0, "S", false, 8.25f, 150},  {6, ";", true, 8.25f, 148},   {14, "-", true, 9.75f, 148},
    {15, "Z", false, 8.25f, 188}, {22, ",", true, 9.75f, 183},  {23, ".", true, 9.75f, 183},
    {24, "/", false, 8.25f, 188}, {35, "[", false, 8.25f, 188},
};

TEST_F(KeyLabels, LabelsNameWhatTheLayoutPrintsOnTheKeyThatPlaysThem) {
    struct Layout {
        const char* name;
        std::map<int, std::string> legends;
        std::vector<Shown> shown;
    };
    const std::vector<Layout> layouts = {
        {"fr",
         {{'Z', "W"}, {186, "M"}, {188, ";"}, {191, "!"}, {219, "^"}, {'2', "\u00C9"}},
         {{15, "W", false, 8.25f, 188},
          {6, "M", false, 8.25f, 150},
          {22, ";", true, 9.75f, 186},
          {24, "!", true, 9.75f, 186},
          {35, "^", true, 9.75f, 186},
          {7, "\u00C9", false, 8.25f, 150},
          {0, "S", false, 8.25f, 150}}},
        {"de",
         {{'Z', "Y"}, {'Y', "Z"}, {186, "\u00D6"}, {191, "-"}, {189, "\u00DF"}, {219, "\u00DC"}},
         {{15, "Y", false, 8.25f, 188},
          {30, "Z", false, 8.25f, 188},
          {6, "\u00D6", false, 8.25f, 150},
          {24, "-", true, 9.75f, 186},
          {14, "\u00DF", false, 8.25f, 150},
          {35, "\u00DC", false, 8.25f, 188},
          {22, ",", true, 9.75f, 183}}},
        {"a layout that cannot tell", {}, kUsLabels},
    };
    start();
    for (const Layout& layout : layouts) {
        keyCaps.legends = layout.legends;
        piano->Form_KeyboardLayoutChange();
        expectShown(*piano, layout.shown, layout.name);
    }
}

TEST_F(KeyLabels, WithoutALayoutToAskTheUsLabelsStay) {
    keyCapsService = nullptr;
    start();
    expectShown(*piano, kUsLabels, "none");
    piano->Form_KeyboardLayoutChange();
    expectShown(*piano, kUsLabels, "none");
}

TEST_F(KeyLabels, TheLayoutAtStartIsShownAndAChangeKeepsTheLabelsHidden) {
    keyCaps.legends = {{'Z', "W"}};
    start();
    EXPECT_EQ(piano->KK[15].caption, "W");
    piano->Form_GotFocus();
    piano->mnu_Rshowklbl_Click();
    keyCaps.legends = {{'Z', "Y"}};
    piano->Form_KeyboardLayoutChange();
    EXPECT_EQ(piano->KK[15].caption, "Y");
    for (const auto& label : piano->KK) EXPECT_FALSE(label.visible);
    piano->mnu_KeyboardType_Click();
    EXPECT_EQ(piano->KK[15].caption, "Y") << "the layout item keeps the layout's legends";
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
