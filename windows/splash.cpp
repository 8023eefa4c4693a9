#include "windows/splash.h"

#include "foundation/number_text.h"
#include "resources/default_files.h"

namespace tonvel {
namespace {

constexpr uint32_t kDarkRed = 128;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr int kKindMasterOutput = 0;
constexpr int kKindSynthesizer = 3;

Label progressLabel(uint32_t colour, int left, int top) {
    Label label;
    label.caption = "Please wait...";
    label.foreColor = colour;
    label.bold = true;
    label.rect = {left, top, 171, 13};
    return label;
}

}  // namespace

splash::splash(SplashHost& host, MixerDevice& mixer, std::string programDirectory)
    : host_(host), mixer_(mixer), programDirectory_(std::move(programDirectory)) {
    // The white twin sits a little right of and below its dark red original.
    load = {progressLabel(kDarkRed, 68, 114), progressLabel(kWhite, 70, 115)};
    Picture1.picture = "splash";
    Picture1.rect = {0, 0, kWidth, kHeight};
}

void splash::Form_Load() {
    // The window's controls come with its load; the window can be drawn before it.
    VOLCN = std::make_unique<VolumeControl>(mixer_);
    VOLCN->setEnabled(true);
    tmrPRG.enabled = true;
    extractDefaultFile(kResourceNames, programDirectory_ + "/ins.ins");
    extractDefaultFile(kResourceLicence, programDirectory_ + "/license.txt");

    host_.loadMainWindow();
    const MainWindowKeyLights lights = host_.mainWindowKeyLights();
    for (Shape& light : lights.keys) light.visible = false;
    for (Shape& light : lights.upper) light.visible = false;

    if (!VOLCN) return;
    VOLCN->setDeviceToControl(kKindMasterOutput);
    VOLCN->setMute(false);
    VOLCN->setDeviceToControl(kKindSynthesizer);
    VOLCN->setVolume(100);
    VOLCN->setMute(false);
}

void splash::tmrPRG_Timer() {
    long counter = parseWholeNumber(tmrPRG_Tag).value_or(0);
    if (counter == 0) {
        counter = 1;
        tmrPRG_Tag = "1";
        host_.applyMainWindowOutline();
    } else if (counter >= 5) {
        if (VOLCN) VOLCN->setEnabled(false);
        tmrPRG.enabled = false;
        host_.unloadSplash();
        host_.showMainWindow();
        return;
    } else {
        ++counter;
        tmrPRG_Tag = std::to_string(counter);
    }
    showProgress(static_cast<int>(counter));
}

void splash::showProgress(int counter) {
    const char* text = counter == 1   ? "Loading Settings..."
                       : counter == 2 ? "Midi Device...OK"
                       : counter == 4 ? "Starting Piano..."
                                      : nullptr;
    if (text == nullptr) return;
    load[0].caption = text;
    load_Change(0);
}

void splash::load_Change(int) {
    load[1].caption = load[0].caption;
}

void splash::Form_Unload() {
    tmrPRG.enabled = false;
    VOLCN.reset();
}

}  // namespace tonvel
