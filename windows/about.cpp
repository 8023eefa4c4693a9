#include "windows/about.h"

#include "foundation/product.h"

namespace tonvel {
namespace {

constexpr int kKeyEscape = 27;
constexpr int kKeyL = 'L';
constexpr int kKeyX = 'X';
constexpr int kLicenseButton = 1;
constexpr int kBackgroundLines = 140;
constexpr int kSeparatorY = 90;

Label label(const std::string& caption, uint32_t colour, Rect rect) {
    Label made;
    made.caption = caption;
    made.foreColor = colour;
    made.rect = rect;
    return made;
}

PictureBox pictureBox(const std::string& picture, const std::string& toolTip, Rect rect) {
    return PictureBox{.picture = Picture{.picture = picture, .toolTip = toolTip, .rect = rect}};
}

}  // namespace

about::about(AboutServices services, std::string programDirectory)
    : services_(services), programDirectory_(std::move(programDirectory)) {
    Shape1 = {0, 0, kWidth, kHeight};
    Image1 = pictureBox(kProgramIcon, "", {15, 7, 32, 32});
    lblTitle = label("Tonvel 1.0", kBlack, {65, 10, 193, 13});
    lblTitle.bold = true;
    lblVersion = label("Version : ", kBlack, {65, 25, 157, 13});
    const std::string licenseTip = "Show License Information";
    BL[0].visible = false;
    NB[0].visible = false;
    BL[kLicenseButton] = label("Show &License", kDarkRed, {156, 102, 134, 16});
    BL[kLicenseButton].tag = "0";
    BL[kLicenseButton].showAccessKey = true;
    BL[kLicenseButton].toolTip = licenseTip;
    NB[kLicenseButton] = pictureBox(kFaceNormal, licenseTip, {156, 98, 134, 21});
    TBCB = pictureBox(kCloseNormal, "Close", {274, 7, 19, 19});
    Xit[0] = Picture{.picture = kCloseNormal, .toolTip = "Close"};
    Xit[1] = Picture{.picture = kCloseHighlighted, .toolTip = "Close"};
}

void about::Form_Load() {
    lines = dialogLines(kHeight, kBackgroundLines, kSeparatorY);
    lblVersion.caption += std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) +
                          " (Build : " + std::to_string(kVersionRevision) + ")";
    Form_MouseMove();
}

void about::Form_KeyDown(int keyCode, int) {
    if (keyCode == kKeyL) {
        BL_Click(kLicenseButton);
    } else if (keyCode == kKeyX || keyCode == kKeyEscape) {
        TBCB_Click();
    }
}

void about::Form_MouseMove() {
    NB[kLicenseButton].picture.picture = kFaceNormal;
    TBCB.picture.picture = Xit[0].picture;
}

void about::BL_Click(int index) {
    if (index != kLicenseButton) return;
    // Whether the viewer opens or not, the box has done its part.
    services_.shell.openDocument(programDirectory_ + "/license.txt");
    unload();
}

void about::BL_MouseDown(int index) {
    if (index == kLicenseButton) holdButtonLabel(BL[kLicenseButton]);
}

void about::BL_MouseUp(int index) {
    if (index == kLicenseButton) releaseButtonLabel(BL[kLicenseButton]);
}

void about::BL_MouseMove(int index) {
    if (index != kLicenseButton || buttonLabelHeld(BL[kLicenseButton])) return;
    NB[kLicenseButton].picture.picture = kFaceHighlighted;
}

void about::TBCB_MouseMove() {
    TBCB.picture.picture = Xit[1].picture;
}

void about::TBCB_Click() {
    unload();
}

void about::Image1_Click() {
    services_.dialogs.messageBox("Surprise !!!" + std::string(21, ' '), MessageIcon::None,
                                 MessageButtons::Ok, kProgramTitle);
}

}  // namespace tonvel
