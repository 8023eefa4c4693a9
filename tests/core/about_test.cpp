#include "windows/about.h"

#include <gtest/gtest.h>

#include <functional>

#include "fakes/recording_services.h"

namespace tonvel {
namespace {

class AboutBox : public ::testing::Test {
  protected:
    void SetUp() override { box.Form_Load(); }

    testing::RecordingDialogs dialogs;
    testing::RecordingShell shell;
    about box{{dialogs, shell}, "/opt/tonvel"};
};

uint32_t rgb(int r, int g, int b) {
    return static_cast<uint32_t>(r | g << 8 | b << 16);
}

TEST_F(AboutBox, VersionLineNamesVersionAndBuild) {
    EXPECT_EQ(box.lblVersion.caption, "Version : 1.0 (Build : 30)");
    EXPECT_EQ(box.lblTitle.caption, "Tonvel 1.0");
    EXPECT_TRUE(box.lblTitle.bold);
}

TEST_F(AboutBox, EscapeAndXCloseWithoutOpeningAnything) {
    struct Case {
        int keyCode, shift;
    };
    // Key codes do not tell x from X; Shift or Ctrl with it closes all the same.
    for (const Case c : {Case{27, 0}, Case{88, 0}, Case{88, 1}, Case{88, 2}}) {
        about fresh{{dialogs, shell}, "/opt/tonvel"};
        fresh.Form_Load();
        fresh.Form_KeyDown(c.keyCode, c.shift);
        EXPECT_TRUE(fresh.closed) << c.keyCode << " shift " << c.shift;
    }
    EXPECT_TRUE(shell.documents.empty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AboutBox, OtherKeysLeaveTheBoxOpen) {
    for (int key : {13, 32, int{'U'}, int{'M'}, int{'K'}, 112, 18}) box.Form_KeyDown(key, 0);
    EXPECT_FALSE(box.closed);
    EXPECT_TRUE(shell.documents.empty());
}

TEST_F(AboutBox, LicenceOpensFromTheKeyTheLabelAndItsFaceThenTheBoxCloses) {
    const std::vector<std::function<void(about&)>> ways = {
        [](about& a) { a.Form_KeyDown('L', 0); },
        [](about& a) { a.Form_KeyDown('L', 1); },
        [](about& a) { a.BL_Click(1); },
        [](about& a) { a.NB_Click(1); },
    };
    for (size_t i = 0; i < ways.size(); ++i) {
        about fresh{{dialogs, shell}, "/opt/tonvel"};
        fresh.Form_Load();
        ways[i](fresh);
        EXPECT_TRUE(fresh.closed) << i;
        ASSERT_EQ(shell.documents.size(), i + 1);
        EXPECT_EQ(shell.documents.back(), "/opt/tonvel/license.txt");
    }
}

TEST_F(AboutBox, AMissingLicenceStillClosesTheBoxSilently) {
    struct FailingShell : testing::RecordingShell {
        bool openDocument(const std::string& path) override {
            RecordingShell::openDocument(path);
            return false;
        }
    } failing;
    about fresh{{dialogs, failing}, "/opt/tonvel"};
    fresh.Form_Load();
    fresh.BL_Click(1);
    EXPECT_TRUE(fresh.closed);
    EXPECT_EQ(failing.documents.size(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AboutBox, IconShowsTheSurpriseWithOkOnlyAndTheBoxStaysOpen) {
    box.Image1_Click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const auto& shown = dialogs.messages.front();
    EXPECT_EQ(shown.text, "Surprise !!!                     ");
    EXPECT_EQ(shown.text.size(), 12u + 21u);
    EXPECT_EQ(shown.icon, MessageIcon::None);
    EXPECT_EQ(shown.buttons, MessageButtons::Ok);
    EXPECT_EQ(shown.title, ":: Tonvel 1.0 ::");
    EXPECT_FALSE(box.closed);
}

TEST_F(AboutBox, CloseButtonClosesAndLightsUnderTheMouse) {
    EXPECT_EQ(box.TBCB.picture.picture, "xit0");
    box.TBCB_MouseMove();
    EXPECT_EQ(box.TBCB.picture.picture, "xit1");
    box.Form_MouseMove();
    EXPECT_EQ(box.TBCB.picture.picture, "xit0");
    EXPECT_FALSE(box.closed);
    box.TBCB_Click();
    EXPECT_TRUE(box.closed);
}

TEST_F(AboutBox, LicenceFaceLightsUnlessHeldAndLabelsPutItOut) {
    box.NB_MouseMove(1);
    EXPECT_EQ(box.NB[1].picture.picture, "nbut1");
    box.lblTitle_MouseMove();
    EXPECT_EQ(box.NB[1].picture.picture, "nbut0");

    box.BL_MouseDown(1);
    EXPECT_EQ(box.BL[1].tag, "1");
    EXPECT_TRUE(box.BL[1].bold);
    box.BL_MouseMove(1);
    EXPECT_EQ(box.NB[1].picture.picture, "nbut0") << "no change while held";
    box.NB_MouseUp(1);
    EXPECT_EQ(box.BL[1].tag, "0");
    EXPECT_FALSE(box.BL[1].bold);
    box.BL_MouseMove(1);
    EXPECT_EQ(box.NB[1].picture.picture, "nbut1");
    box.lblVersion_MouseMove();
    EXPECT_EQ(box.NB[1].picture.picture, "nbut0");
}

TEST(DialogBackground, ColoursRoundHalvesToEvenAndStopAt255) {
    struct Case {
        int i;
        int r, g, b;
    };
    const Case cases[] = {
        {1, 240, 180, 170},                        // 0.5 goes down to 0
        {2, 241, 181, 171},   {3, 242, 182, 172},  // 1.5 goes up to 2
        {5, 242, 182, 172},                        // 2.5 goes down to 2
        {7, 244, 184, 174},   {29, 254, 194, 184},  {30, 255, 195, 185},  {31, 255, 196, 186},
        {140, 255, 250, 240}, {170, 255, 255, 255}, {217, 255, 255, 255},
    };
    for (const Case& c : cases) EXPECT_EQ(backgroundColour(c.i), rgb(c.r, c.g, c.b)) << c.i;
}

TEST_F(AboutBox, BackgroundRisesFromTheBottomThenTheSeparator) {
    ASSERT_EQ(box.lines.size(), 142u);
    EXPECT_EQ(box.lines[0].y, 127);
    EXPECT_EQ(box.lines[0].colour, rgb(240, 180, 170));
    EXPECT_EQ(box.lines[139].y, 128 - 140);
    EXPECT_EQ(box.lines[139].colour, backgroundColour(140));
    EXPECT_EQ(box.lines[140].y, 90);
    EXPECT_EQ(box.lines[140].colour, rgb(128, 0, 0));
    EXPECT_EQ(box.lines[141].y, 91);
    EXPECT_EQ(box.lines[141].colour, kSystem3DHighlight);
}

}  // namespace
}  // namespace tonvel
