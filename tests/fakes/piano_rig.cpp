#include "fakes/piano_rig.h"

#include <array>
#include <fstream>

#include "resources/default_files.h"

namespace tonvel::testing {

namespace {

constexpr int kShiftKey = 16, kCtrlKey = 17, kAltKey = 18;
constexpr int kAltGr = 1000;  // reported as the Alt key with Ctrl and Alt down
constexpr int kZ = 'Z';

// Piano keys come up most, then pads, modifiers and the command keys.
constexpr std::array kKeys = {
    90,  83,  88,  68,  67,  86,  71,     66,  72,  78,  74,  77,  188, 76,  190,
    186, 191, 81,  50,  87,  51,  69,     52,  82,  84,  54,  89,  55,  85,  73,
    57,  79,  48,  80,  189, 219, 111,    106, 109, 103, 104, 105, 100, 101, 102,
    97,  98,  99,  16,  17,  18,  kAltGr, 16,  17,  18,  37,  38,  39,  40,  36,
    35,  112, 113, 114, 115, 116, 117,    118, 119, 120, 75,  96,  49,  27,  32,
};
const char* const kSources[] = {"Keyboard A", "Keyboard B", "Sequencer"};

bool isModifier(int key) {
    return key == kShiftKey || key == kCtrlKey || key == kAltKey || key == kAltGr;
}

int virtualKey(int key) {
    return key == kAltGr ? kAltKey : key;
}

void leaves(const MenuItem& menu, std::vector<const MenuItem*>& out) {
    for (const auto& item : menu.children) {
        if (!item.children.empty()) {
            leaves(item, out);
        } else if (!item.separator && item.enabled && item.visible && !item.name.empty()) {
            out.push_back(&item);
        }
    }
}

}  // namespace

PianoRig::PianoRig(const std::filesystem::path& dir) {
    extractDefaultFile(kResourceNames, (dir / "ins.ins").string());
    midi.names = {"Port A", "Port B"};
    midiInput.plug(kSources[0], true);
    midiInput.plug(kSources[2], false);
    preferences.texts["Mouse/PlaysKeys"] = "1";
    piano = std::make_unique<frmPiano>(FrmPianoServices{midi, dialogs, window, shell, windows,
                                                        nullptr, nullptr, &midiInput, &preferences},
                                       dir.string());
    piano->helpDirectory = (dir / "no-help").string();
    piano->recordingsDirectory = (dir / "recordings").string();
    window.onClose = [this] {
        piano->Form_QueryUnload();
        piano->Form_Unload();
        closed_ = true;
    };
    dialogs.whileMenuOpen = [this] {
        awayFromWindow("menu");
        chooseFromMenu();
    };
    dialogs.whileBoxOpen = [this] {
        if (focused_) {
            piano->Form_LostFocus();
            focused_ = false;
            activationPending_ = true;
        }
        if (dialogs.inputs.size() > dialogs.inputAnswers.size() && (next() & 1))
            dialogs.inputAnswers.push_back(std::to_string(next()));
        awayFromWindow("box");
    };
    piano->Form_Initialize();
    piano->Form_Load();
    piano->keyboardReturned();
    piano->Form_GotFocus();
}

PianoRig::~PianoRig() {
    dialogs.whileMenuOpen = nullptr;
    dialogs.whileBoxOpen = nullptr;
    window.onClose = nullptr;
}

uint8_t PianoRig::next() {
    return exhausted() ? 0 : data_[pos_++];
}

int PianoRig::modifiers() const {
    int shift = 0;
    if (held_.count(kShiftKey)) shift |= kShiftMask;
    if (held_.count(kCtrlKey)) shift |= kCtrlMask;
    if (held_.count(kAltKey)) shift |= kAltMask;
    if (held_.count(kAltGr)) shift |= kCtrlMask | kAltMask;
    return shift;
}

void PianoRig::play(const uint8_t* data, size_t size) {
    data_ = data;
    size_ = size;
    pos_ = 0;
    // Whether the platform can tell which keys are held.
    const bool platformKnows = (next() & 3) != 0;
    window.held =
        platformKnows ? std::optional<std::vector<int>>(std::vector<int>{}) : std::nullopt;
    while (!exhausted() && !closed_) {
        act();
        activateIfPending();
    }
    letGo();
    // Once every key is up, a fresh press of a piano key plays, whatever happened before.
    pressAfresh();
}

void PianoRig::act() {
    const uint8_t op = next() % 17;
    const uint8_t arg = next();
    switch (op) {
        case 0:
        case 1:
        case 2:
        case 3:
            press(kKeys[arg % kKeys.size()]);
            break;
        case 4:
        case 5:
        case 6:
            if (!held_.empty()) release(*std::next(held_.begin(), arg % held_.size()));
            break;
        case 7:
            for (int i = 0; i <= arg % 3; ++i) repeat();
            break;
        case 8:
            log_.push_back("focus lost");
            if (focused_) piano->Form_LostFocus();
            focused_ = false;
            break;
        case 9:
            if (!focused_) activationPending_ = true;
            break;
        case 10:
            log_.push_back("mouse opens menu " + std::to_string(arg % 7));
            switch (arg % 7) {
                case 0:
                    piano->lblOver_MouseDown(2, 0, 100, 150);
                    break;
                case 1:
                    piano->lblBank_MouseDown(arg % 4, 2, 0, 0, 90);
                    break;
                case 2:
                    piano->lblDrums_MouseDown(arg % 12, 1, 0, 0, 0);
                    break;
                case 3:
                    piano->lblInstrument_Click();
                    break;
                case 4:
                    piano->Butt_Click(1);
                    break;
                case 5:
                    piano->lblBeat_Click();
                    break;
                default:
                    piano->lblBaseKey_Click();
                    break;
            }
            break;
        case 13:
            useMouse(arg);
            break;
        case 14:
            touch(arg);
            break;
        case 15:
        case 16:
            playIn(arg);
            break;
        case 12:
            // The window's clock: a recording being played back moves on.
            for (int i = 0; i <= arg % 4 && piano->tmrPlay.enabled; ++i) piano->tmrPlay_Timer();
            break;
        default:
            if (arg & 1) {
                log_.push_back("refresh");
                piano->mnu_refresh_Click();
            } else {
                log_.push_back("device " + std::to_string(arg % 3));
                piano->mnuDevice_Click(arg % 3);
            }
            break;
    }
}

void PianoRig::press(int key) {
    if (held_.count(key)) return;  // only the keyboard's repeat presses a held key again
    held_.insert(key);
    if (!isModifier(key)) repeating_ = key;
    if (window.held) window.held->push_back(virtualKey(key));
    log_.push_back("press " + std::to_string(key) + (focused_ ? "" : " (elsewhere)"));
    if (focused_) piano->keyPressed(virtualKey(key), modifiers());
}

void PianoRig::release(int key) {
    if (!held_.erase(key)) return;
    if (repeating_ == key) repeating_ = -1;
    if (window.held) {
        window.held->clear();
        for (int k : held_) window.held->push_back(virtualKey(k));
    }
    log_.push_back("release " + std::to_string(key) + (focused_ ? "" : " (elsewhere)"));
    if (focused_) piano->keyReleased(virtualKey(key), modifiers());
}

void PianoRig::repeat() {
    if (repeating_ < 0 || !focused_) return;
    log_.push_back("repeat " + std::to_string(repeating_));
    piano->keyPressed(virtualKey(repeating_), modifiers());
}

void PianoRig::awayFromWindow(const char* what) {
    const bool wasFocused = focused_;
    focused_ = false;  // what the player does now reaches the menu or box, not the window
    log_.push_back(std::string("open ") + what);
    for (int n = next() % 3; n > 0; --n) {
        const uint8_t arg = next();
        if ((arg & 1) && !held_.empty()) {
            release(*std::next(held_.begin(), (arg >> 1) % held_.size()));
        } else {
            press(kKeys[(arg >> 1) % kKeys.size()]);
        }
    }
    // A new key pressed inside takes the repeat with it.
    log_.push_back(std::string("close ") + what);
    focused_ = wasFocused;
}

void PianoRig::chooseFromMenu() {
    std::vector<const MenuItem*> items;
    leaves(dialogs.menus.back().menu, items);
    const size_t pick = items.empty() ? 0 : next() % (items.size() + 1);
    if (pick >= items.size()) return;
    const MenuItem& item = *items[pick];
    const bool exits = item.name == "mnu_exit" || item.name == "mnu_Rexit";
    if (exits && next() % 8 != 0) return;
    log_.push_back("choose " + item.name + " " + std::to_string(item.index));
    dialogs.menuAnswers.push_back(MenuChoice{item.name, item.index});
}

void PianoRig::activateIfPending() {
    if (!activationPending_ || closed_) return;
    activationPending_ = false;
    focused_ = true;
    log_.push_back("focus back");
    piano->keyboardReturned();
    piano->Form_GotFocus();
}

void PianoRig::letGo() {
    activateIfPending();
    while (!held_.empty()) release(*held_.begin());
    if (!closed_ && mouseDown_) piano->PianoKeys_MouseUp(1);
    mouseDown_ = false;
    for (int finger : fingers_)
        if (!closed_) piano->PianoKeys_TouchEnd(finger);
    fingers_.clear();
    for (auto& [source, notes] : inHeld_)
        for (const auto& [channel, note] : notes)
            midiInput.send(source, packMessage(0x80 | channel, note, 0));
    for (const auto& source : inPedal_) midiInput.send(source, packMessage(0xB0, 64, 0));
    inHeld_.clear();
    inPedal_.clear();
    if (!closed_) piano->MidiIn_Received();
    if (!focused_) activationPending_ = true;
    activateIfPending();
    // A recording being played back plays to its end, which ends its notes.
    for (int tick = 0; tick < 100000 && !closed_ && piano->tmrPlay.enabled; ++tick)
        piano->tmrPlay_Timer();
}

std::vector<std::string> PianoRig::problems() const {
    std::vector<std::string> found;
    for (const auto& bytes : midi.badBytes)
        found.push_back("a data byte above 127 was sent, status " + std::to_string(bytes[0]));
    for (const auto& [device, channels] : midi.pedalDown)
        for (int channel : channels)
            found.push_back("the sustain pedal is still down on channel " +
                            std::to_string(channel) + " of device " + std::to_string(device));
    for (const auto& [device, notes] : midi.sounding)
        for (const auto& [channel, note] : notes)
            found.push_back("note " + std::to_string(note) + " on channel " +
                            std::to_string(channel) + " still sounds on device " +
                            std::to_string(device));
    if (freshPressSilent_) found.push_back("a fresh press of Z was silent");
    return found;
}

void PianoRig::pressAfresh() {
    if (closed_ || !piano->midiOut.midiReady || !midi.openDevice || piano->state.noteVelocity <= 0)
        return;
    const size_t before = midi.sent.size();
    piano->keyPressed(kZ, 0);
    bool played = false;
    for (size_t i = before; i < midi.sent.size(); ++i)
        played = played || (midi.sent[i][0] == 0x90 && midi.sent[i][2] > 0);
    piano->keyReleased(kZ, 0);
    freshPressSilent_ = !played;
}

void PianoRig::keyCentre(int key, float& x, float& y) const {
    const Rect& r = piano->shpKeys[static_cast<size_t>(key)].rect;
    x = static_cast<float>(r.left + r.width / 2) / 15.0f;
    y = static_cast<float>(r.top + r.height / 2) / 15.0f;
}

// The mouse on the keys: a press, a slide to another key or off them, a release.
void PianoRig::useMouse(uint8_t arg) {
    float x = 0, y = 0;
    keyCentre((arg >> 2) % 36, x, y);
    if ((arg >> 2) >= 60) y = 5;  // above the keys
    switch (arg % 4) {
        case 0:
            log_.push_back("mouse down at key " + std::to_string((arg >> 2) % 36));
            piano->PianoKeys_MouseDown(1, 0, x, y);
            mouseDown_ = true;
            break;
        case 1:
        case 2:
            if (!mouseDown_) return;
            log_.push_back("mouse slides to key " + std::to_string((arg >> 2) % 36));
            piano->PianoKeys_MouseMove(1, 0, x, y);
            break;
        default:
            if (!mouseDown_) return;
            log_.push_back("mouse up");
            piano->PianoKeys_MouseUp(1);
            mouseDown_ = false;
            break;
    }
}

void PianoRig::touch(uint8_t arg) {
    const int finger = arg % 3;
    float x = 0, y = 0;
    keyCentre((arg >> 3) % 36, x, y);
    switch ((arg >> 2) % 4 + (arg & 0x80 ? 4 : 0)) {
        case 0:
        case 1:
            log_.push_back("finger " + std::to_string(finger) + " on key " +
                           std::to_string((arg >> 3) % 36));
            if (fingers_.insert(finger).second) {
                piano->PianoKeys_TouchBegin(finger, x, y);
            } else {
                piano->PianoKeys_TouchMove(finger, x, y);
            }
            break;
        case 7:
            log_.push_back("touch cancelled");
            piano->PianoKeys_TouchCancel();
            fingers_.clear();
            break;
        default:
            if (!fingers_.erase(finger)) return;
            log_.push_back("finger " + std::to_string(finger) + " up");
            piano->PianoKeys_TouchEnd(finger);
            break;
    }
}

// A MIDI keyboard: notes on the piano and the drum channel, its pedal, program changes,
// unplugging and plugging back, and the menu's connections.
void PianoRig::playIn(uint8_t arg) {
    const uint8_t more = next();
    const std::string source = kSources[more % 3];
    const int note = 36 + (more >> 2) % 50;
    const int channel = (arg & 0x40) ? 9 : (arg >> 3) % 3;
    switch (arg % 8) {
        case 0:
        case 1:
            if (midiInput.send(source, packMessage(0x90 | channel, note, 1 + more % 127))) {
                inHeld_[source].insert({channel, note});
                log_.push_back(source + " note on " + std::to_string(note));
            }
            break;
        case 2:
        case 3: {
            auto& held = inHeld_[source];
            if (held.empty()) return;
            const auto [c, n] = *std::next(held.begin(), more % held.size());
            // Note-on with velocity 0 is a note-off too.
            midiInput.send(
                source, (arg & 0x20) ? packMessage(0x90 | c, n, 0) : packMessage(0x80 | c, n, 64));
            held.erase({c, n});
            log_.push_back(source + " note off " + std::to_string(n));
            break;
        }
        case 4: {
            const bool down = !inPedal_.count(source);
            if (!midiInput.send(source, packMessage(0xB0, 64, down ? 127 : 0))) return;
            if (down) {
                inPedal_.insert(source);
            } else {
                inPedal_.erase(source);
            }
            log_.push_back(source + (down ? " pedal down" : " pedal up"));
            break;
        }
        case 5:
            midiInput.send(source, packMessage(more & 1 ? 0xC0 : 0xE0, note, more & 0x7F));
            log_.push_back(source + " program or bend");
            break;
        case 6:
            log_.push_back(source + " unplugged");
            midiInput.unplug(source);
            inHeld_.erase(source);
            inPedal_.erase(source);
            break;
        default:
            log_.push_back(source + " plugged in");
            if (!midiInput.isConnected(source)) {
                midiInput.unplug(source);
                midiInput.plug(source, source != kSources[2]);
            }
            break;
    }
    piano->MidiIn_Received();
}

}  // namespace tonvel::testing
