#include "shell/frm_piano.h"

namespace tonvel {

namespace {
constexpr int kPlay = 0, kFill = 1, kPause = 2, kEnding = 3, kStop = 4;
}  // namespace

void frmPiano::mnuBeat_Click(int index) {
    if (index < 0 || static_cast<size_t>(index) >= beatStyles.size()) return;
    state.beatStyleIndex = static_cast<int16_t>(index);
    state.beatStep = 0;
    state.beatSection = 0;
    beatSections_ = parseBeatPattern(beatStyles[static_cast<size_t>(index)].pattern);
    if (static_cast<size_t>(index) < mnuBeat.size())
        lblBeat.caption = mnuBeat[static_cast<size_t>(index)].caption;
    tmrBeat.interval = beatStyles[static_cast<size_t>(index)].tempo;
}

void frmPiano::lblBeat_Click() {
    lblBeat.foreColor = kLabelHighlight;
    popUp(mnuMain[2], lblBeat.rect.left, lblBeat.rect.top + lblBeat.rect.height, false);
    lblBeat.foreColor = kLabelNormal;
}

bool frmPiano::transportLit(int index) const {
    return lblBeatCtrl[static_cast<size_t>(index)].foreColor == kLabelHighlight;
}

void frmPiano::setTransportLit(int index, bool lit) {
    lblBeatCtrl[static_cast<size_t>(index)].foreColor = lit ? kLabelHighlight : kLabelNormal;
}

bool frmPiano::transportGateOpen(int index) const {
    return index == kPlay || transportLit(kPause) || tmrBeat.enabled;
}

void frmPiano::lblBeatCtrl_MouseDown(int index, int, int, float, float) {
    if (index < 0 || index > kStop || !transportGateOpen(index)) return;
    if (index == kPlay) {
        setTransportLit(kPause, false);
        setTransportLit(kEnding, false);
        setTransportLit(kPlay, true);
    } else if (index == kPause) {
        setTransportLit(kPause, true);
        setTransportLit(kPlay, false);
    } else {
        setTransportLit(index, true);
    }
}

void frmPiano::lblBeatCtrl_MouseUp(int index) {
    if (index == kFill || index == kEnding || index == kStop) setTransportLit(index, false);
}

void frmPiano::lblBeatCtrl_Click(int index) {
    if (index < 0 || index > kStop || !transportGateOpen(index)) return;
    const bool paused = transportLit(kPause);
    switch (index) {
        case kPlay:
            state.beatNextSection = 0;
            tmrBeat.enabled = true;
            PCap.caption = "Play Intro";
            break;
        case kFill:
            if (paused) return;
            state.beatNextSection = 2;
            PCap.caption = "Fill Effects";
            break;
        case kPause:
            if (paused && !tmrBeat.enabled) return;
            state.beatNextSection = 3;
            tmrBeat.enabled = false;
            setTransportLit(kPlay, false);
            PCap.caption = "Pause";
            break;
        case kEnding:
            if (paused) return;
            state.beatNextSection = 4;
            setTransportLit(kPlay, false);
            setTransportLit(kFill, false);
            PCap.caption = "Play Ending";
            break;
        case kStop:
            state.beatNextSection = -1;
            tmrBeat.enabled = false;
            for (int i = kPlay; i <= kEnding; ++i) setTransportLit(i, false);
            PCap.caption = "Stop Intro";
            return;
    }
    if (state.beatSection < 0) {
        state.beatSection = state.beatNextSection;
        state.beatNextSection = -2;
    }
}

void frmPiano::tmrBeat_Timer() {
    const SendingFor sending(*this, &tmrBeat);
    if (unloaded_) return;
    if (state.beatSection < 0 || static_cast<size_t>(state.beatSection) >= beatSections_.size())
        return;
    const auto& section = beatSections_[static_cast<size_t>(state.beatSection)];
    if (static_cast<size_t>(state.beatStep) < section.size()) {
        for (int note : section[static_cast<size_t>(state.beatStep)])
            if (midiOut.noteOn(9, note, state.noteVelocity))
                rhythmNotes_.follow(packMessage(0x99, note, 1));
    }
    ++state.beatStep;
    if (static_cast<size_t>(state.beatStep) >= section.size()) {
        if (state.beatNextSection >= -1) {
            state.beatSection = state.beatNextSection;
            state.beatNextSection = -2;
        } else {
            state.beatSection = state.beatSection == 4 ? -1 : 1;
        }
        state.beatStep = 0;
    }
}

}  // namespace tonvel
