#include <algorithm>

#include "shell/frm_piano.h"

namespace tonvel {

namespace {

constexpr int kDrumChannel = 9;
constexpr int kSustain = 64, kBankSelect = 0, kBankSelectFine = 32, kAllSoundOff = 120,
              kAllNotesOff = 123;
// Hardware sources the player disconnected, software sources the player connected.
constexpr const char* kUnwanted = "MidiInput/Disconnected";
constexpr const char* kWanted = "MidiInput/Connected";

bool contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

void frmPiano::MidiIn_Received() {
    if (unloaded_ || !services_.midiInput) return;
    incoming_.clear();
    services_.midiInput->poll(incoming_);
    bool lookAgain = false;
    for (const MidiInputEvent& event : incoming_) {
        if (event.kind == MidiInputEvent::Kind::SourcesChanged) {
            lookAgain = true;
        } else {
            playIncoming(event);
        }
    }
    if (lookAgain) connectNewSources();
    showHeldNotes();
}

// Notes on the drum channel stay there; everything else plays on the piano's channel with the
// window's instrument, which the keyboard's program changes choose as the menu does.
void frmPiano::playIncoming(const MidiInputEvent& event) {
    const Hand source{Hand::Kind::MidiIn, event.source};
    if (event.kind == MidiInputEvent::Kind::SourceGone) {
        holders_.letGo(source);
        showPedal();
        return;
    }
    const int status = static_cast<int>(event.message & 0xF0);
    const int channel = static_cast<int>(event.message & 0x0F);
    const int data1 = static_cast<int>((event.message >> 8) & 0x7F);
    const int data2 = static_cast<int>((event.message >> 16) & 0x7F);
    const bool note = status == 0x80 || status == 0x90 || status == 0xA0;
    const int to = note && channel == kDrumChannel ? kDrumChannel : 0;
    if (status == 0x90 && data2 > 0) {
        if (midiOut.midiReady) holders_.press(source, to, data1, data2);
    } else if (status == 0x80 || status == 0x90) {
        holders_.release(source, to, data1);
    } else if (status == 0xB0 && data1 == kSustain) {
        holders_.movedControls(source, 0);
        pedalDown(source, data2 >= 64);
    } else if (status == 0xB0 && (data1 == kAllNotesOff || data1 == kAllSoundOff)) {
        holders_.releaseHand(source);
    } else if (status == 0xB0 && (data1 == kBankSelect || data1 == kBankSelectFine)) {
        // The window chooses the instrument, from bank 0.
    } else if (status == 0xC0) {
        mnuPiano_Click(data1);
    } else if (status >= 0xA0 && status <= 0xE0) {
        holders_.movedControls(source, to);
        midiOut.sendMessage(packMessage(status | to, data1, data2));
    }
}

void frmPiano::endIncoming() {
    holders_.letGoKind(Hand::Kind::MidiIn);
    showPedal();
    showHeldNotes();
}

// Only sources seen for the first time are connected, so a source a patchbay disconnected
// stays as it was left.
void frmPiano::connectNewSources() {
    if (!services_.midiInput) return;
    const auto sources = services_.midiInput->sources();
    const auto unwanted = preferenceList(kUnwanted);
    const auto wanted = preferenceList(kWanted);
    std::vector<std::string> seen;
    for (const MidiSource& source : sources) {
        seen.push_back(source.name);
        if (contains(knownSources_, source.name) || source.connected) continue;
        const bool want =
            source.hardware ? !contains(unwanted, source.name) : contains(wanted, source.name);
        if (want) services_.midiInput->connect(source.name, true);
    }
    knownSources_ = std::move(seen);
}

void frmPiano::buildMidiInputMenu() {
    mnuMidiIn.clear();
    if (services_.midiInput) {
        for (const MidiSource& source : services_.midiInput->sources())
            mnuMidiIn.push_back(MenuItem{.name = "mnuMidiIn",
                                         .index = static_cast<int>(mnuMidiIn.size()),
                                         .caption = source.name,
                                         .checked = source.connected,
                                         .tag = source.hardware ? "hardware" : "software",
                                         .literalCaption = true});
    }
    if (mnuMidiIn.empty())
        mnuMidiIn.push_back(
            MenuItem{.name = "mnuMidiIn", .index = -1, .caption = "(none)", .enabled = false});
}

void frmPiano::mnuMidiIn_Click(int index) {
    if (!services_.midiInput || index < 0 || static_cast<size_t>(index) >= mnuMidiIn.size()) return;
    const MenuItem& item = mnuMidiIn[static_cast<size_t>(index)];
    const std::string name = item.caption;
    const bool hardware = item.tag == "hardware";
    const bool connect = !item.checked;
    if (!services_.midiInput->connect(name, connect)) return;
    auto unwanted = preferenceList(kUnwanted);
    auto wanted = preferenceList(kWanted);
    std::erase(unwanted, name);
    std::erase(wanted, name);
    if (hardware && !connect) unwanted.push_back(name);
    if (!hardware && connect) wanted.push_back(name);
    setPreferenceList(kUnwanted, unwanted);
    setPreferenceList(kWanted, wanted);
    buildMidiInputMenu();
    // A source let go of ends what it held now, not at the next thing it would have sent.
    MidiIn_Received();
}

// Ports come and go while the program runs: the menu shows those present when it opens, and
// the device in use keeps its check mark by name.
void frmPiano::refreshDeviceMenu() {
    const auto id = static_cast<size_t>(std::max(0, midiOut.midiDeviceId));
    const std::string current =
        id > 0 && id < mnuDevice.size() ? mnuDevice[id].caption : std::string();
    midiOut.buildDeviceMenu(mnuDevice);
    if (!current.empty()) {
        for (size_t i = 1; i < mnuDevice.size(); ++i)
            if (mnuDevice[i].caption == current) midiOut.midiDeviceId = static_cast<int>(i);
    }
    for (auto& item : mnuDevice) {
        item.checked = item.index == midiOut.midiDeviceId;
        item.enabled = !(item.checked && deviceAway_);
    }
    buildMidiInputMenu();
}

}  // namespace tonvel
