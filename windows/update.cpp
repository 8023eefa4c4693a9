#include "windows/update.h"

#include "foundation/number_text.h"
#include "foundation/product.h"
#include "windows/version_check.h"

namespace tonvel {
namespace {

constexpr int kKeyAlt = 18;
constexpr int kKeyM = 'M';
constexpr int kKeyU = 'U';
constexpr int kKeyX = 'X';
constexpr int kCheckButton = 0;
constexpr int kProductButton = 1;
constexpr int kDownloadLink = 2;
constexpr int kBackgroundLines = 217;
constexpr int kSeparatorY = 85;
constexpr int kTimeoutTicks = 10;

constexpr const char* kVersionFilePath = "/product/piano_curver.txt";
constexpr const char* kProductPagePath = "/product/piano.html";
constexpr const char* kDownloadPagePath = "/product/dl-piano.html";

Label label(const std::string& caption, uint32_t colour, Rect rect,
            const std::string& toolTip = "") {
    Label made;
    made.caption = caption;
    made.foreColor = colour;
    made.rect = rect;
    made.toolTip = toolTip;
    return made;
}

Label buttonLabel(const std::string& caption, uint32_t colour, Rect rect,
                  const std::string& toolTip) {
    Label made = label(caption, colour, rect, toolTip);
    made.tag = "0";
    made.showAccessKey = true;
    return made;
}

PictureBox pictureBox(const std::string& picture, const std::string& toolTip, Rect rect) {
    return PictureBox{.picture = Picture{.picture = picture, .toolTip = toolTip, .rect = rect}};
}

std::string webAddress(const char* path) {
    return std::string(kWebSite) + path;
}

}  // namespace

update::update(UpdateServices services) : services_(services) {
    Shape1 = {0, 0, kWidth, kHeight};
    lblTitle = label(
        "Connect to the Internet and click  'Check for updates' To check manually on the web, "
        "click 'Manually Check'",
        kDarkRed, {10, 8, 258, 25});
    lbll[0].visible = false;
    lbll[1] = label("Available version :", kRed, {8, 63, 88, 13});
    lbll[2] = label("Current version :", kRed, {8, 46, 88, 13});
    lblVersion = label("", kBlack, {99, 46, 181, 13});
    lblUpdate = label(kNotChecked, kBlack, {99, 63, 179, 13});

    const std::string downloadTip = "Click to Download the Latest version of TNK";
    BL[kCheckButton] = buttonLabel("Check for &updates", kDarkRed, {9, 98, 139, 16},
                                   "Checks for the updated version of TNK, on the internet");
    BL[kProductButton] =
        buttonLabel("Manually &Check", kDarkRed, {154, 98, 136, 16},
                    "Click to Visit TNK product page and find out related information");
    BL[kDownloadLink] = buttonLabel("<- Download here", kRed, {159, 55, 126, 13}, downloadTip);
    NB[kCheckButton] = pictureBox(kFaceNormal, "", {9, 94, 139, 21});
    NB[kProductButton] = pictureBox(kFaceNormal, "", {154, 94, 136, 21});
    NB[kDownloadLink] = pictureBox(kFaceNormal, downloadTip, {154, 44, 136, 35});
    showDownloadLink(false);
    TBCB = pictureBox(kCloseNormal, "Close", {272, 6, 19, 19});
    Xit[0] = Picture{.picture = kCloseNormal, .toolTip = "Close"};
    Xit[1] = Picture{.picture = kCloseHighlighted, .toolTip = "Close"};
}

void update::Form_Load() {
    lines = dialogLines(kHeight, kBackgroundLines, kSeparatorY);
    lblVersion.caption = std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
    Form_MouseMove();
}

void update::Form_KeyDown(int keyCode, int) {
    if (keyCode == kKeyAlt) keyCode = 0;
    if (keyCode == kKeyU) {
        BL_Click(kCheckButton);
    } else if (keyCode == kKeyM) {
        BL_Click(kProductButton);
    } else if (keyCode == kKeyX && TBCB.enabled) {
        TBCB_Click();
    }
}

void update::Form_MouseMove() {
    TBCB.picture.picture = Xit[0].picture;
    for (auto& face : NB) face.picture.picture = kFaceNormal;
}

void update::BL_Click(int index) {
    switch (index) {
        case kCheckButton:
            check();
            break;
        case kProductButton:
            services_.shell.openUrl(webAddress(kProductPagePath));
            unload();
            break;
        case kDownloadLink:
            if (BL[kDownloadLink].visible) services_.shell.openUrl(webAddress(kDownloadPagePath));
            break;
        default:
            break;
    }
}

void update::BL_MouseDown(int index) {
    if (index >= 0 && index < static_cast<int>(BL.size())) holdButtonLabel(BL[index]);
}

void update::BL_MouseUp(int index) {
    if (index >= 0 && index < static_cast<int>(BL.size())) releaseButtonLabel(BL[index]);
}

void update::BL_MouseMove(int index) {
    if (index < 0 || index >= static_cast<int>(BL.size()) || buttonLabelHeld(BL[index])) return;
    const int other = index == kCheckButton ? kProductButton : kCheckButton;
    NB[other].picture.picture = kFaceNormal;
    NB[index].picture.picture = kFaceHighlighted;
}

void update::TBCB_MouseMove() {
    TBCB.picture.picture = Xit[1].picture;
}

void update::TBCB_Click() {
    if (TBCB.enabled) unload();
}

void update::upVersion_Change() {
    showUpdateText(upVersion);
    tmrTimeout.enabled = false;
}

void update::lblUpdate_Change() {
    const bool settled =
        lblUpdate.caption == lblVersion.caption || lblUpdate.caption == kNotChecked;
    lblUpdate.foreColor = settled ? kBlack : kRed;
}

void update::tmrTimeout_Timer() {
    const long ticks = parseWholeNumber(tmrTimeout_Tag).value_or(0);
    if (ticks == kTimeoutTicks) {
        showUpdateText("Timeout!");
    } else {
        tmrTimeout_Tag = std::to_string(ticks + 1);
    }
}

void update::check() {
    // The fetch lets events run, so the button can be pressed again while it waits.
    if (checking_) return;
    checking_ = true;
    tmrTimeout_Tag = "0";
    tmrTimeout.enabled = true;
    showDownloadLink(false);
    TBCB.enabled = false;
    showUpdateText("Checking for updates...");

    const FetchResult reply = services_.http.get(webAddress(kVersionFilePath));
    // Only a short line of printable characters is taken for a version, and shown.
    const auto accepted = reply.body ? acceptedVersionReply(*reply.body) : std::nullopt;
    if (!accepted) return checkFailed();
    setUpVersion(*accepted);
    const std::string published = upVersion;
    const VersionVerdict verdict = compareVersion(published, kVersionMajor, kVersionMinor);
    if (verdict == VersionVerdict::Unreadable) return checkFailed();

    tmrTimeout.enabled = false;
    const auto announce = [&](const char* kind) {
        services_.dialogs.messageBox(std::string("There is a ") + kind + " update to version " +
                                         published + " is available!    ",
                                     MessageIcon::Warning, MessageButtons::Ok,
                                     std::string(":: ") + kind + " Update Available ::");
        showDownloadLink(true);
    };
    const auto nothingNew = [&](const std::string& firstLine) {
        services_.dialogs.messageBox(firstLine + "\rPlease check later", MessageIcon::Information,
                                     MessageButtons::Ok, kProgramTitle);
    };
    switch (verdict) {
        case VersionVerdict::MajorUpdate:
            announce("Major");
            break;
        case VersionVerdict::OlderMajor:
            nothingNew("No new updates are available!    ");
            break;
        case VersionVerdict::MinorUpdate:
            announce("Minor");
            break;
        default:
            nothingNew("No new updates are available!");
            break;
    }
    TBCB.enabled = true;
    showUpdateText(published);
    checkEnded();
}

void update::checkFailed() {
    tmrTimeout.enabled = false;
    TBCB.enabled = true;
    services_.dialogs.messageBox(
        "Error connecting Server! Please try again!     \rOR check updates manually.",
        MessageIcon::Critical, MessageButtons::Ok, kProgramTitle);
    showUpdateText("Error while connecting server");
    checkEnded();
}

void update::checkEnded() {
    checking_ = false;
    if (closeWhenChecked_) closed = true;
}

void update::showUpdateText(const std::string& text) {
    lblUpdate.caption = text;
    lblUpdate_Change();
}

void update::setUpVersion(const std::string& text) {
    upVersion = text;
    upVersion_Change();
}

void update::showDownloadLink(bool shown) {
    BL[kDownloadLink].visible = shown;
    NB[kDownloadLink].visible = shown;
}

void update::unload() {
    // "Manually Check" during a check closes the window once the check is over.
    if (checking_) {
        closeWhenChecked_ = true;
    } else {
        closed = true;
    }
}

}  // namespace tonvel
