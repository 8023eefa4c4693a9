#include "shell/frm_piano.h"

namespace tonvel {

namespace {

constexpr int kNoteOffset = 50;

}  // namespace

void frmPiano::KeyboardChanged() {
    state.pianoKeyCodes = {90,  83, 88,  68,  67,  86, 71, 66, 72, 78, 74,  77,
                           188, 76, 190, 186, 191, 81, 50, 87, 51, 69, 52,  82,
                           84,  54, 89,  55,  85,  73, 57, 79, 48, 80, 189, 219};
    state.drumKeyCodes = {111, 106, 109, 103, 104, 105, 100, 101, 102, 97, 98, 99};
    const std::array<int16_t, 12> notes = {49, 57, 51, 45, 47, 48, 46, 42, 44, 37, 36, 40};
    for (size_t j = 0; j < notes.size(); ++j) state.drumPadNotes[j] = notes[j];
}

void frmPiano::CheckKeys() {
    for (size_t i = 0; i < state.pianoKeyCodes.size(); ++i) {
        const int k = state.pianoKeyCodes[i];
        if (k < 0 || k > 255 || state.keyPlayed[k] == state.keyState[k]) continue;
        state.keyPlayed[k] = state.keyState[k];
        const bool down = state.keyPlayed[k] == 1;
        const Hand key{Hand::Kind::Keys, k};
        if (down) {
            const int note = static_cast<int>(i) + state.baseKey + kNoteOffset;
            if (holders_.press(key, 0, note, state.noteVelocity)) state.soundingNote[k] = note;
        } else {
            const int started = state.soundingNote[k];
            holders_.release(
                key, 0, started >= 0 ? started : static_cast<int>(i) + state.baseKey + kNoteOffset,
                true);
            state.soundingNote[k] = -1;
        }
        showKey(i);
    }
    for (size_t j = 0; j < state.drumKeyCodes.size(); ++j) {
        const int k = state.drumKeyCodes[j];
        if (k < 0 || k > 255 || state.keyPlayed[k] == state.keyState[k]) continue;
        state.keyPlayed[k] = state.keyState[k];
        const bool down = state.keyPlayed[k] == 1;
        const int note = j < state.drumPadNotes.size() ? state.drumPadNotes[j].value_or(0) : 0;
        const Hand key{Hand::Kind::Keys, k};
        if (down) {
            if (holders_.press(key, 9, note, state.noteVelocity)) state.soundingNote[k] = note;
        } else {
            const int started = state.soundingNote[k];
            holders_.release(key, 9, started >= 0 ? started : note, true);
            state.soundingNote[k] = -1;
        }
        showPad(j);
    }
}

void frmPiano::noteStepDown(int keyCode, int shift) {
    if (keyCode == kSpaceKey && shift == 0 && midiOut.midiReady)
        pedalDown(Hand{Hand::Kind::Keys, kSpaceKey}, true);
    if (shift != 0 || !midiOut.midiReady || keyCode < 0 || keyCode > 255) return;
    state.keyState[keyCode] = 1;
    CheckKeys();
}

void frmPiano::noteStepUp(int keyCode) {
    if (keyCode == kSpaceKey) pedalDown(Hand{Hand::Kind::Keys, kSpaceKey}, false);
    if (keyCode < 0 || keyCode > 255) return;
    state.keyState[keyCode] = 0;
    CheckKeys();
}

void frmPiano::releaseAllKeys() {
    state.keyState.fill(0);
    CheckKeys();
}

void frmPiano::keyPressed(int keyCode, int shift) {
    if (unloaded_) return;
    if (keyboard_.press(keyCode) == KeyboardInput::Press::Stale) return;
    Form_KeyDown(keyCode, shift);
}

void frmPiano::keyReleased(int keyCode, int shift) {
    if (unloaded_) return;
    keyboard_.release(keyCode);
    Form_KeyUp(keyCode, shift);
}

void frmPiano::keyboardReturned() {
    keyboard_.keepOnly(services_.window.keysHeld());
}

// The key-ups of a time away go to another window: what sounds stops now, and keys still
// held then do not play again when they repeat.
void frmPiano::suspendKeys() {
    releaseAllKeys();
    releaseHands({Hand::Kind::Mouse, Hand::Kind::Touch});
    pedalDown(Hand{Hand::Kind::Keys, kSpaceKey}, false);
    keyboard_.endRepeats();
}

void frmPiano::resumeKeys() {
    keyboard_.keepOnly(services_.window.keysHeld());
}

}  // namespace tonvel
