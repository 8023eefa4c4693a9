#include <string>

#include "shell/frm_piano.h"

namespace tonvel {

namespace {

constexpr int kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kHome = 36, kEnd = 35;
constexpr int kF1 = 112, kF4 = 115, kF5 = 116, kF9 = 120;
constexpr int kNumpad0 = 96, kNumpad9 = 105;

bool isPlayingKey(int keyCode) {
    return (keyCode >= kF5 && keyCode <= kF9) || (keyCode >= '0' && keyCode <= '9') ||
           (keyCode >= 'A' && keyCode <= 'Z') || (keyCode >= 97 && keyCode <= 111);
}

int padOfKeypadKey(int keyCode) {
    static constexpr std::array<int, 12> pads = {111, 106, 109, 103, 104, 105,
                                                 100, 101, 102, 97,  98,  99};
    for (size_t j = 0; j < pads.size(); ++j)
        if (pads[j] == keyCode) return static_cast<int>(j);
    return -1;
}

long numericValue(const std::string& digits) {
    long value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

void frmPiano::Form_KeyDown(int keyCode, int shift) {
    noteStepDown(keyCode, shift);

    if (shift == 0 && keyCode >= kF1 && keyCode <= kF4) {
        lblBank_MouseDown(keyCode - kF1, 1, 0, 0, 0);
        mnu_refresh_Click();
    } else if (shift == 0 && keyCode >= kF5 && keyCode <= kF9) {
        lblBeatCtrl_MouseDown(keyCode - kF5, 1, 0, 0, 0);
        lblBeatCtrl_Click(keyCode - kF5);
    }

    if (shift != kShiftMask && shift != kCtrlMask && shift != kAltMask) {
        if (keyCode == kRight) {
            if (state.currentProgram < state.maxProgram) stepProgram(state.currentProgram + 1);
        } else if (keyCode == kLeft) {
            if (state.currentProgram > 0) stepProgram(state.currentProgram - 1);
        } else if (keyCode == kHome) {
            stepProgram(0);
        } else if (keyCode == kEnd) {
            stepProgram(state.maxProgram);
        } else if (keyCode == kUp) {
            stepBaseNote(+1);
        } else if (keyCode == kDown) {
            stepBaseNote(-1);
        }
    }

    if (shift == kCtrlMask) {
        if (keyCode >= kF1 && keyCode <= kF4) {
            lblBank_MouseDown(keyCode - kF1, 2, 0, 0, 0);
        } else if (const int pad = padOfKeypadKey(keyCode); pad >= 0) {
            lblDrums_MouseDown(pad, 0, 0, 0, 0);
        } else if (keyCode == 'T') {
            Butt_Click(4);
        } else if (keyCode == 'K') {
            mnu_Rshowklbl_Click();
        } else if (keyCode == 'M') {
            Butt_Click(3);
        } else if (keyCode == 'S') {
            mnu_shortcuts_Click();
        } else if (keyCode == 'U') {
            mnu_update_Click();
        } else if (keyCode == 'X') {
            mnu_exit_Click();
        } else if (keyCode == 'B') {
            lblBaseKey_Click();
        } else if (keyCode == kF5) {
            resetLights();
        } else if (keyCode == 'R') {
            mnu_record_Click();
        } else if (keyCode == 'P') {
            mnu_playrec_Click();
        } else if (keyCode == 'O') {
            mnu_opensong_Click();
        } else if (keyCode == 'E') {
            mnu_export_Click();
        }
    } else if (shift == kShiftMask) {
        if (keyCode == kF1) {
            mnu_about_Click();
        } else if (keyCode == kLeft) {
            nudgeVolume(-2.2f);
        } else if (keyCode == kRight) {
            nudgeVolume(2.2f);
        } else if (keyCode == kDown) {
            nudgeTempo(1.1f);
        } else if (keyCode == kUp) {
            nudgeTempo(-1.1f);
        }
    } else if (shift == kAltMask) {
        if (keyCode == 'M') {
            Butt_Click(0);
        } else if (keyCode == 'S') {
            Butt_Click(1);
        } else if (keyCode == 'H') {
            Butt_Click(2);
        } else if (keyCode == 'C') {
            lblInstrument_Click();
        } else if (keyCode == 'N') {
            ChNum_Click();
        } else if (keyCode == 'I') {
            lblBeat_Click();
        }
        quickJump(keyCode);
    }

    if (shift == 0 && !midiOut.midiReady && isPlayingKey(keyCode)) showMidiUnavailable();
}

void frmPiano::resetLights() {
    for (size_t i = 0; i < shpKeys.size(); ++i) {
        shpKeys[i].visible = false;
        if (wkeys[i].exists) wkeys[i].visible = false;
    }
    for (auto& pad : shpDrums) pad.fillColor = kPadAtRest;
    mnu_refresh_Click();
}

void frmPiano::quickJump(int keyCode) {
    std::string digits = lblCH.tag;
    if (keyCode >= kNumpad0 && keyCode <= kNumpad9 && digits.size() <= 3) {
        digits += static_cast<char>('0' + keyCode - kNumpad0);
        lblCH.tag = digits;
    }
    long value = numericValue(digits);
    // A number above the last channel keeps only its first two digits.
    std::string caption = std::to_string(value);
    while (value > state.maxProgram + 1 && caption.size() > 2) {
        caption = caption.substr(0, 2);
        value = numericValue(caption);
    }
    lblCH.caption = caption;
    if (value <= 0 || value > state.maxProgram + 1) return;
    jumpToProgram(static_cast<int>(value - 1));
    PCap.caption = "Channel : " + std::to_string(value) + " " + lblInstrument.caption;
}

void frmPiano::stepProgram(int program) {
    jumpToProgram(program);
    lblInstrument.foreColor = kLabelHighlight;
    ChNum.foreColor = kLabelHighlight;
}

void frmPiano::stepBaseNote(int direction) {
    mnu_refresh_Click();
    if (lblBaseKey.caption == (direction > 0 ? "B" : "C")) return;
    const int next = state.baseKey + direction;
    if (next < 0 || next > 11) return;
    state.baseKey = static_cast<int16_t>(next);
    showHeldNotes();
    lblBaseKey.foreColor = kLabelHighlight;
    lblBaseKey.caption = mnuBaseKey[static_cast<size_t>(state.baseKey)].caption;
    SStatus("bkey");
}

void frmPiano::Form_KeyUp(int keyCode, int shift) {
    noteStepUp(keyCode);
    if (shift != kAltMask) {
        tmrCap.enabled = true;
        lblCH.tag = "0";
    }
    if (keyCode == kLeft || keyCode == kRight) VolPtr.picture = VolNormal.picture;
    if (keyCode == kUp || keyCode == kDown) IntPtr.picture = IntroNormal.picture;
    if (keyCode >= kF5 && keyCode <= kF9) lblBeatCtrl_MouseUp(keyCode - kF5);
    if (keyCode >= kF1 && keyCode <= kF4)
        lblBank[static_cast<size_t>(keyCode - kF1)].foreColor = kLabelNormal;
    lblInstrument.foreColor = kLabelNormal;
    ChNum.foreColor = kLabelNormal;
    lblBaseKey.foreColor = kLabelNormal;
}

void frmPiano::showMidiUnavailable() {
    services_.dialogs.messageBox(
        "Unable to Open Midi Out!!\rPlease see User Manual for more Information...        ",
        MessageIcon::Critical, MessageButtons::Ok, kProgramTitle);
}

}  // namespace tonvel
