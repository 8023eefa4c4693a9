#pragma once

#include <array>
#include <string>
#include <vector>

#include "foundation/controls.h"
#include "foundation/services.h"
#include "windows/dialog_parts.h"

namespace tonvel {

struct AboutServices {
    Dialogs& dialogs;
    DesktopShell& shell;
};

// The about box: name, version, the licence button and a surprise behind the icon.
// The front end closes the window once `closed` is set.
class about {
  public:
    about(AboutServices services, std::string programDirectory);

    static constexpr const char* kCaption = " About...";
    static constexpr int kWidth = 300;  // client area, pixels
    static constexpr int kHeight = 128;

    void Form_Load();
    void Form_KeyDown(int keyCode, int shift);
    void Form_MouseMove();
    void lblTitle_MouseMove() { Form_MouseMove(); }
    void lblVersion_MouseMove() { Form_MouseMove(); }
    void BL_Click(int index);
    void BL_MouseDown(int index);
    void BL_MouseUp(int index);
    void BL_MouseMove(int index);
    void NB_Click(int index) { BL_Click(index); }
    void NB_MouseDown(int index) { BL_MouseDown(index); }
    void NB_MouseUp(int index) { BL_MouseUp(index); }
    void NB_MouseMove(int index) { BL_MouseMove(index); }
    void TBCB_MouseMove();
    void TBCB_Click();
    void Image1_Click();

    // Controls. Only element 1 of the BL and NB arrays exists on this window.
    Rect Shape1;
    PictureBox Image1;
    Label lblTitle, lblVersion;
    std::array<Label, 2> BL;
    std::array<PictureBox, 2> NB;
    PictureBox TBCB;
    std::array<Picture, 2> Xit;
    std::vector<DrawnLine> lines;  // background and separators, painted in order

    bool closed = false;

  private:
    void unload() { closed = true; }

    AboutServices services_;
    std::string programDirectory_;
};

}  // namespace tonvel
