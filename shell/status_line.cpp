#include <cmath>

#include "foundation/number_text.h"
#include "shell/frm_piano.h"

namespace tonvel {

void frmPiano::SStatus(const std::string& item) {
    tmrCap.enabled = false;
    if (item == "vol") {
        PCap.caption =
            state.noteVelocity <= 0
                ? "Volume : Mute"
                : "Volume : " + std::to_string(std::lround(state.noteVelocity / 1.27)) + "%";
        lblVolume.toolTip = PCap.caption;
    } else if (item == "tmpo") {
        const auto tempo = parseWholeNumber(lblIntrHold.caption);
        PCap.caption = tempo && *tempo == 0 ? "Tempo : Normal" : "Tempo : " + lblIntrHold.caption;
        lblIntro.toolTip = PCap.caption;
    } else if (item == "chnum") {
        PCap.caption = "Current Channel Number";
    } else if (item == "basenote") {
        PCap.caption = "Current Base Note";
    } else if (item == "instr") {
        PCap.caption = "Current Channel Name";
    } else if (item == "intrname") {
        PCap.caption = "Current Intro Name";
    } else if (item == "bkey") {
        PCap.caption = "Current Base Note : " + lblBaseKey.caption;
    }
}

void frmPiano::tell(const std::string& text) {
    if (services_.notices) services_.notices->tell(text);
    if (unloaded_) return;
    // The status line is short: files of the program directory go by their names there.
    std::string shown = text;
    const std::string directory = programDirectory_ + "/";
    for (size_t at; (at = shown.find(directory)) != std::string::npos;)
        shown.erase(at, directory.size());
    untold_.push_back(shown);
    if (active_) showNotices();
}

// Until the pointer's next help: a status line cleared by a timer may go unseen.
void frmPiano::showNotices() {
    active_ = true;
    if (untold_.empty()) return;
    std::string line;
    for (const auto& text : untold_) line += (line.empty() ? "" : " | ") + text;
    untold_.clear();
    PCap.caption = line;
    tmrCap.enabled = false;
}

void frmPiano::tmrCap_Timer() {
    PCap.caption.clear();
    tmrCap.enabled = false;
}

bool frmPiano::stayOnTopIsOn() const {
    const auto value = parseWholeNumber(Tag);
    return value && *value == 1;
}

void frmPiano::PianoSkin_MouseMove() {
    for (size_t i = 0; i < Butt.size(); ++i)
        if (Butt[i].picture == imgBut[i].picture) Butt[i].picture.clear();
    if (stayOnTopIsOn()) Butt[4].picture = imgBut[4].picture;
    VolPtr.picture = VolNormal.picture;
    IntPtr.picture = IntroNormal.picture;
    tmrCap.enabled = true;
}

void frmPiano::lblOver_MouseMove() {
    PianoSkin_MouseMove();
}

void frmPiano::Form_MouseMove() {
    VolPtr.picture = VolNormal.picture;
    IntPtr.picture = IntroNormal.picture;
}

void frmPiano::Butt_MouseMove(int index) {
    static constexpr const char* texts[] = {"Main menu", "Settings menu", "Help menu",
                                            "Minimize",  "Stay on Top",   "Exit piano"};
    if (index < 0 || index >= static_cast<int>(Butt.size())) return;
    PCap.caption = texts[index];
    for (size_t j = 0; j < Butt.size(); ++j) {
        if (static_cast<int>(j) != index) Butt[j].picture.clear();
        if (j == 4 && stayOnTopIsOn()) Butt[4].picture = imgBut[4].picture;
    }
    auto& button = Butt[static_cast<size_t>(index)];
    if (button.picture != imgBut[static_cast<size_t>(index)].picture)
        button.picture = imgBut[static_cast<size_t>(index)].picture;
}

void frmPiano::ChNum_MouseMove() {
    SStatus("chnum");
}
void frmPiano::lblBaseKey_MouseMove() {
    SStatus("basenote");
}
void frmPiano::lblBeat_MouseMove() {
    SStatus("intrname");
}

void frmPiano::lblInstrument_MouseMove() {
    PianoSkin_MouseMove();
    SStatus("instr");
}

void frmPiano::lblBank_MouseMove(int index) {
    tmrCap.enabled = false;
    PCap.caption = "Channel Quick Jump " + std::to_string(index + 1);
}

void frmPiano::lblDrums_MouseMove(int index) {
    tmrCap.enabled = false;
    PCap.caption = "Drumset " + std::to_string(index + 1);
}

void frmPiano::lblBeatCtrl_MouseMove(int index) {
    static constexpr const char* texts[] = {"Play Current Intro", "Fill Effects", "Pause Playing",
                                            "Play Ending", "Stop Playing"};
    tmrCap.enabled = false;
    if (index >= 0 && index < 5) PCap.caption = texts[index];
}

}  // namespace tonvel
