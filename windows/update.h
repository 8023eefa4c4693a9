#pragma once

#include <array>
#include <string>
#include <vector>

#include "foundation/controls.h"
#include "foundation/services.h"
#include "windows/dialog_parts.h"
#include "windows/http_fetch.h"

namespace tonvel {

struct UpdateServices {
    Dialogs& dialogs;
    DesktopShell& shell;
    HttpFetch& http;
};

// The update window: compares the installed version with the one published on the web site.
// The front end closes the window once `closed` is set.
class update {
  public:
    explicit update(UpdateServices services);

    static constexpr const char* kCaption = "  update...";
    static constexpr int kWidth = 298;  // client area, pixels
    static constexpr int kHeight = 124;
    static constexpr const char* kNotChecked = "Not ckecked!";

    void Form_Load();
    void Form_KeyDown(int keyCode, int shift);
    void Form_MouseMove();
    void lblTitle_MouseMove() { Form_MouseMove(); }
    void lblUpdate_MouseMove() { Form_MouseMove(); }
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
    void upVersion_Change();
    void lblUpdate_Change();
    void tmrTimeout_Timer();

    // A check holds the window open until it has finished.
    bool canClose() const { return !checking_; }

    // Controls. Element 0 of lbll does not exist.
    Rect Shape1;
    Label lblTitle, lblVersion, lblUpdate;
    std::array<Label, 3> lbll;
    std::array<Label, 3> BL;
    std::array<PictureBox, 3> NB;
    PictureBox TBCB;
    std::array<Picture, 2> Xit;
    std::string upVersion;  // the invisible text box that receives the published version
    Timer tmrTimeout{.enabled = false, .interval = 1500};
    std::string tmrTimeout_Tag = "0";  // ticks counted towards the time-out
    std::vector<DrawnLine> lines;      // background and separators, painted in order

    bool closed = false;

  private:
    void check();
    void checkFailed();
    void checkEnded();
    void showUpdateText(const std::string& text);
    void setUpVersion(const std::string& text);
    void showDownloadLink(bool shown);
    void unload();

    UpdateServices services_;
    bool checking_ = false;
    bool closeWhenChecked_ = false;
};

}  // namespace tonvel
