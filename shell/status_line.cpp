#include <cmath>

#include "performance/number_text.h"
#include "shell/frm_piano.h"

namespace tonvel {

void frmPiano::SStatus(const std::string& item) {
    tmrCap.enabled = false;
    if (item == "vol") {
        PCap.caption = state.noteVelocity <= 0
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

void frmPiano::tmrCap_Timer() {
    PCap.caption.clear();
    tmrCap.enabled = false;
}

void frmPiano::PianoSkin_MouseMove() { tmrCap.enabled = true; }

}  // namespace tonvel
