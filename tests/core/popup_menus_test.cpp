#include <functional>

#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

class PopupMenus : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        midi.names = {"Port & Co"};
        start();
    }
};

// Every popup hands over the menu the window holds, never a copy made for it: a copy of the
// instrument menu with long names at every popup once cost gigabytes.
TEST_F(PopupMenus, EveryPopupShowsTheMenuTheWindowHolds) {
    struct Case {
        const char* what;
        std::function<void(frmPiano&)> popUp;
        std::function<const MenuItem&(frmPiano&)> held;
        std::function<const void*(frmPiano&)> part;  // a part that must be the window's own
        std::function<const void*(const MenuItem&)> partShown;
    };
    const auto items = [](const MenuItem& m) -> const void* { return &m.children; };
    const Case cases[] = {
        {"instrument name", [](frmPiano& p) { p.lblInstrument_Click(); },
         [](frmPiano& p) -> const MenuItem& { return p.mnuMain[0]; },
         [](frmPiano& p) -> const void* { return &p.mnuPiano; }, items},
        {"instrument menu key", [](frmPiano& p) { p.Form_KeyDown('C', kAltMask); },
         [](frmPiano& p) -> const MenuItem& { return p.mnuMain[0]; },
         [](frmPiano& p) -> const void* { return &p.mnuPiano; }, items},
        {"bank's right button", [](frmPiano& p) { p.lblBank_MouseDown(2, 2, 0, 0, 10); },
         [](frmPiano& p) -> const MenuItem& { return p.mnuMain[0]; },
         [](frmPiano& p) -> const void* { return &p.mnuPiano; }, items},
        {"drum pad", [](frmPiano& p) { p.lblDrums_MouseDown(3, 1, 0, 0, 10); },
         [](frmPiano& p) -> const MenuItem& { return p.mnuMain[1]; },
         [](frmPiano& p) -> const void* { return &p.mnuDrum; }, items},
        {"beat style", [](frmPiano& p) { p.lblBeat_Click(); },
         [](frmPiano& p) -> const MenuItem& { return p.mnuMain[2]; },
         [](frmPiano& p) -> const void* { return &p.mnuBeat; }, items},
        {"base note", [](frmPiano& p) { p.lblBaseKey_Click(); },
         [](frmPiano& p) -> const MenuItem& { return p.mnuMain[4]; },
         [](frmPiano& p) -> const void* { return &p.mnuBaseKey; }, items},
        {"settings devices", [](frmPiano& p) { p.Butt_Click(1); },
         [](frmPiano& p) -> const MenuItem& { return p.mnuMain[3]; },
         [](frmPiano& p) -> const void* { return &p.mnuDevice; },
         [](const MenuItem& m) -> const void* { return &m.children[1].children; }},
        {"settings keyboard type", [](frmPiano& p) { p.Form_KeyDown('S', kAltMask); },
         [](frmPiano& p) -> const MenuItem& { return p.mnuMain[3]; },
         [](frmPiano& p) -> const void* { return &p.mnu_KeyboardType; },
         [](const MenuItem& m) -> const void* { return &m.children[0].children[0]; }},
        {"main menu", [](frmPiano& p) { p.Butt_Click(0); },
         [](frmPiano& p) -> const MenuItem& { return p.mMenu; },
         [](frmPiano& p) -> const void* { return &p.mMenu.children; }, items},
        {"help menu", [](frmPiano& p) { p.Butt_Click(2); },
         [](frmPiano& p) -> const MenuItem& { return p.mnu_help; },
         [](frmPiano& p) -> const void* { return &p.mnu_help.children; }, items},
        {"right click", [](frmPiano& p) { p.lblOver_MouseDown(2, 0, 5, 5); },
         [](frmPiano& p) -> const MenuItem& { return p.mnu_RMNU; },
         [](frmPiano& p) -> const void* { return &p.mnu_Rshowklbl; },
         [](const MenuItem& m) -> const void* { return &m.children[0]; }},
    };
    for (const Case& c : cases) {
        dialogs.menus.clear();
        c.popUp(*piano);
        ASSERT_EQ(dialogs.menus.size(), 1u) << c.what;
        const MenuItem* shown = dialogs.menus.back().source;
        EXPECT_EQ(shown, &c.held(*piano)) << c.what;
        EXPECT_EQ(c.partShown(*shown), c.part(*piano)) << c.what;
    }
}

TEST_F(PopupMenus, HeldMenusShowTheirCurrentState) {
    piano->mnu_Rshowklbl_Click();
    const bool labelsShown = piano->mnu_Rshowklbl.checked;
    piano->lblOver_MouseDown(2, 0, 5, 5);
    const MenuItem& rightClick = dialogs.menus.back().menu;
    ASSERT_EQ(rightClick.children.size(), 15u);
    EXPECT_EQ(rightClick.children[0].name, "mnu_Rshowklbl");
    EXPECT_EQ(rightClick.children[0].checked, labelsShown);
    EXPECT_EQ(rightClick.children[2].caption, "Users &Manual\tCtrl+?");
    EXPECT_EQ(rightClick.children[5].caption, "E&xit\tCtrl+X");
    EXPECT_EQ(rightClick.children[7].caption, "&Record\tCtrl+R");

    piano->mnu_KeyboardType_Click();
    piano->Butt_Click(1);
    const MenuItem& settings = dialogs.menus.back().menu;
    EXPECT_EQ(settings.children[0].caption, "&Keyboard Type");
    EXPECT_EQ(settings.children[0].children[0].checked, piano->mnu_KeyboardType.checked);
    EXPECT_EQ(settings.children[0].children[1].name, "mnu_keyOther");
    ASSERT_EQ(settings.children[1].children.size(), 2u);
    EXPECT_EQ(settings.children[1].children[1].caption, "Port & Co");
}

TEST_F(PopupMenus, CaptionsFromOutsideAreMarkedToBeShownAsTheyAre) {
    struct Case {
        const char* what;
        const MenuItem& item;
        bool literal;
    };
    const Case cases[] = {
        {"first instrument", piano->mnuPiano[0], true},
        {"last instrument", piano->mnuPiano[127], true},
        {"drum sound", piano->mnuDrum[31], true},
        {"system port", piano->mnuDevice[1], true},
        {"beat style", piano->mnuBeat[0], false},
        {"right-click item", piano->mnu_RMNU.children[2], false},
        {"key labels", piano->mnu_Rshowklbl, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.item.literalCaption, c.literal) << c.what;
}

}  // namespace
}  // namespace tonvel
