#include "midi/midi_out.h"

namespace tonvel {

namespace {
bool isDataByte(int v) {
    return v >= 0 && v <= 0x7F;
}
}  // namespace

void MidiOut::buildDeviceMenu(std::vector<MenuItem>& mnuDevice) {
    const auto names = system_.outputNames();
    mnuDevice.assign(1, MenuItem{.name = "mnuDevice", .index = 0, .caption = "Midi Mapper"});
    for (size_t i = 0; i < names.size(); ++i) {
        // Port names are the system's, shown as they are.
        mnuDevice.push_back(MenuItem{.name = "mnuDevice",
                                     .index = static_cast<int>(i + 1),
                                     .caption = names[i],
                                     .literalCaption = true});
    }
}

void MidiOut::openMidiOut(std::vector<MenuItem>& mnuDevice) {
    const bool opened = system_.open(midiDeviceId - 1);
    for (auto& item : mnuDevice) item.checked = false;
    if (midiDeviceId >= 0 && static_cast<size_t>(midiDeviceId) < mnuDevice.size()) {
        mnuDevice[static_cast<size_t>(midiDeviceId)].checked = true;
    } else if (!missingItemReported_) {
        // The device is reopened at every activation of the window; one report per run is enough.
        missingItemReported_ = true;
        dialogs_.messageBox("340, The MIDI output device " + std::to_string(midiDeviceId) +
                                " of the settings does not exist in the Midi Device menu.",
                            MessageIcon::Critical, MessageButtons::Ok, kProgramTitle);
    }
    midiReady = opened;
}

void MidiOut::closeMidiOut() {
    system_.close();
}

bool MidiOut::send(int status, int channel, int data1, int data2) {
    if (channel < 0 || channel > 15 || !isDataByte(data1) || !isDataByte(data2)) return false;
    const uint32_t message = packMessage(status + channel, data1, data2);
    system_.prepare(message);
    if (!system_.sendShortMessage(message)) return false;
    if (onSent) onSent(message);
    return true;
}

bool MidiOut::sendMessage(uint32_t message) {
    const int status = message & 0xFF;
    if (status < 0x80 || status >= 0xF0 || (message >> 24) != 0) return false;
    const int data2 = dataByteCount(status) == 1 ? 0 : static_cast<int>((message >> 16) & 0xFF);
    return send(status & 0xF0, status & 0x0F, static_cast<int>((message >> 8) & 0xFF), data2);
}

bool MidiOut::noteOn(int channel, int note, int velocity) {
    return send(0x90, channel, note, velocity);
}

bool MidiOut::noteOff(int channel, int note) {
    return send(0x80, channel, note, 0);
}

std::array<uint32_t, 3> programSelection(int channel, int program) {
    return {packMessage(0xB0 + channel, 0x00, 0), packMessage(0xB0 + channel, 0x20, 0),
            packMessage(0xC0 + channel, program, 0)};
}

bool MidiOut::selectProgram(int channel, int program) {
    if (channel < 0 || channel > 15 || !isDataByte(program)) return false;
    bool sent = true;
    for (const uint32_t message : programSelection(channel, program))
        sent = sendMessage(message) && sent;
    return sent;
}

}  // namespace tonvel
