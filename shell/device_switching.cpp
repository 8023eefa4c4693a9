#include "shell/frm_piano.h"

namespace tonvel {

void frmPiano::mnuDevice_Click(int index) {
    // Notes still sounding end on the device that plays them, not on the next one.
    if (index != midiOut.midiDeviceId) {
        stopPlayback();
        suspendKeys();
    }
    endIncoming();
    midiOut.closeMidiOut();
    holders_.outputClosed();
    midiOut.midiDeviceId = index;
    midiOut.openMidiOut(mnuDevice);
    watchSound();
    mnuPiano_Click(state.currentProgram);
    holders_.restatePedal();
}

void frmPiano::mnu_refresh_Click() {
    PCap.caption = "Refreshing Piano...";
    tmrCap.enabled = true;
    endIncoming();
    midiOut.closeMidiOut();
    holders_.outputClosed();
    midiOut.openMidiOut(mnuDevice);
    watchSound();
    mnuPiano_Click(state.currentProgram);
    holders_.restatePedal();
    services_.window.turnNumLockOn();
}

void frmPiano::outputNews(const std::string& text, bool present) {
    tmrCap.enabled = false;
    PCap.caption = text;
    deviceAway_ = !present;
    for (auto& item : mnuDevice) item.enabled = !(item.checked && deviceAway_);
}

}  // namespace tonvel
