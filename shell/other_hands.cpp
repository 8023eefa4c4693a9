#include <algorithm>

#include "shell/frm_piano.h"

namespace tonvel {

namespace {
constexpr int kNoteOffset = 50;
}  // namespace

void frmPiano::showKey(size_t i) {
    if (i >= shpKeys.size()) return;
    const int code = i < state.pianoKeyCodes.size() ? state.pianoKeyCodes[i] : -1;
    const bool byKey = code >= 0 && code <= 255 && state.keyPlayed[static_cast<size_t>(code)] == 1;
    const uint8_t song = songLights_[i];
    const bool lit = byKey || song != 0 ||
                     holders_.heldBesidesKeys(0, static_cast<int>(i) + state.baseKey + kNoteOffset);
    // A key the song waits for keeps its own colour, whoever else holds it.
    const uint32_t fill = song == 2 ? kAwaitedFill : kKeyLightFill;
    shpKeys[i].visible = lit;
    shpKeys[i].fillColor = fill;
    if (wkeys[i].exists) {
        wkeys[i].visible = lit;
        wkeys[i].fillColor = fill;
    }
}

void frmPiano::showPad(size_t j) {
    if (j >= shpDrums.size()) return;
    const int code = j < state.drumKeyCodes.size() ? state.drumKeyCodes[j] : -1;
    const bool byKey = code >= 0 && code <= 255 && state.keyPlayed[static_cast<size_t>(code)] == 1;
    const auto note = j < state.drumPadNotes.size() ? state.drumPadNotes[j] : std::nullopt;
    const bool lit = byKey || songLights_[shpKeys.size() + j] != 0 ||
                     (note && holders_.heldBesidesKeys(9, *note));
    shpDrums[j].fillColor = lit ? kPadSounding : kPadAtRest;
}

// Only lights whose other hands changed are touched: the computer keyboard's lights keep their
// own rules (a reset darkens them while the keys stay down).
void frmPiano::showHeldNotes() {
    for (size_t i = 0; i < shpKeys.size(); ++i) {
        const bool held =
            holders_.heldBesidesKeys(0, static_cast<int>(i) + state.baseKey + kNoteOffset);
        if (held == heldElsewhere_[i]) continue;
        heldElsewhere_[i] = held;
        showKey(i);
    }
    for (size_t j = 0; j < shpDrums.size(); ++j) {
        const auto note = j < state.drumPadNotes.size() ? state.drumPadNotes[j] : std::nullopt;
        const bool held = note && holders_.heldBesidesKeys(9, *note);
        if (held == heldElsewhere_[shpKeys.size() + j]) continue;
        heldElsewhere_[shpKeys.size() + j] = held;
        showPad(j);
    }
    if (songPlayer_) showSongLights();
}

void frmPiano::pedalDown(Hand hand, bool down) {
    holders_.pedal(hand, down);
    showPedal();
}

void frmPiano::showPedal() {
    shpPedal.fillColor = holders_.pedalDown() ? kPedalLit : kPedalDark;
    lblPedal.foreColor = shpPedal.fillColor;
}

void frmPiano::releaseHands(std::initializer_list<Hand::Kind> kinds) {
    for (const Hand::Kind kind : kinds) holders_.releaseKind(kind);
    if (kinds.size() == 0) return;
    for (const Hand::Kind kind : kinds) {
        if (kind == Hand::Kind::Mouse) {
            mouseKey_ = -1;
            mousePlaying_ = false;
        }
        if (kind == Hand::Kind::Touch) touchKeys_.clear();
    }
    showHeldNotes();
}

// Black keys lie over the white ones: they are found first.
int frmPiano::pianoKeyAt(int x, int y) const {
    const int tx = x * 15, ty = y * 15;
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < shpKeys.size(); ++i) {
            const bool white = wkeys[i].exists;
            if (white != (pass == 1)) continue;
            if (shpKeys[i].rect.contains(tx, ty) || (white && wkeys[i].rect.contains(tx, ty)))
                return static_cast<int>(i);
        }
    }
    return -1;
}

void frmPiano::playKeyWith(Hand hand, int key) {
    if (key < 0 || key >= static_cast<int>(shpKeys.size()) || !midiOut.midiReady) return;
    const int note = key + state.baseKey + kNoteOffset;
    holders_.press(hand, 0, note, state.noteVelocity);
}

void frmPiano::PianoKeys_MouseDown(int button, int, float x, float y) {
    if (unloaded_ || button != 1 || !mousePlaysKeys()) return;
    holders_.releaseHand(Hand{Hand::Kind::Mouse, 0});
    mousePlaying_ = true;
    mouseKey_ = pianoKeyAt(static_cast<int>(x), static_cast<int>(y));
    playKeyWith(Hand{Hand::Kind::Mouse, 0}, mouseKey_);
    showHeldNotes();
}

void frmPiano::PianoKeys_MouseMove(int buttons, int, float x, float y) {
    if (unloaded_ || !mousePlaying_) return;
    // The left button went up where the window did not see it.
    if (!(buttons & 1)) return releaseHands({Hand::Kind::Mouse});
    const int key = pianoKeyAt(static_cast<int>(x), static_cast<int>(y));
    if (key == mouseKey_) return;
    // A glissando: the key left ends before the key reached sounds.
    holders_.releaseHand(Hand{Hand::Kind::Mouse, 0});
    mouseKey_ = key;
    playKeyWith(Hand{Hand::Kind::Mouse, 0}, key);
    showHeldNotes();
}

void frmPiano::PianoKeys_MouseUp(int) {
    releaseHands({Hand::Kind::Mouse});
}

void frmPiano::PianoKeys_TouchBegin(int touchId, float x, float y) {
    if (unloaded_ || !mousePlaysKeys()) return;
    PianoKeys_TouchMove(touchId, x, y);
}

void frmPiano::PianoKeys_TouchMove(int touchId, float x, float y) {
    if (unloaded_ || !mousePlaysKeys()) return;
    const int key = pianoKeyAt(static_cast<int>(x), static_cast<int>(y));
    auto at = std::find_if(touchKeys_.begin(), touchKeys_.end(),
                           [&](const auto& t) { return t.first == touchId; });
    if (at != touchKeys_.end() && at->second == key) return;
    const Hand finger{Hand::Kind::Touch, touchId};
    holders_.releaseHand(finger);
    if (at == touchKeys_.end()) {
        touchKeys_.emplace_back(touchId, key);
    } else {
        at->second = key;
    }
    playKeyWith(finger, key);
    showHeldNotes();
}

void frmPiano::PianoKeys_TouchEnd(int touchId) {
    holders_.releaseHand(Hand{Hand::Kind::Touch, touchId});
    std::erase_if(touchKeys_, [&](const auto& t) { return t.first == touchId; });
    showHeldNotes();
}

void frmPiano::PianoKeys_TouchCancel() {
    releaseHands({Hand::Kind::Touch});
}

void frmPiano::mnu_mousekeys_Click() {
    mnu_mousekeys.checked = !mnu_mousekeys.checked;
    if (!mnu_mousekeys.checked) releaseHands({Hand::Kind::Mouse, Hand::Kind::Touch});
    setPreferenceText("Mouse/PlaysKeys", mnu_mousekeys.checked ? "1" : "0");
}

}  // namespace tonvel
