#include "midi/backends/system_midi_ports.h"

#include <exception>

#include "midi/backends/jack_server_probe.h"

namespace tonvel {

SystemMidiPorts::SystemMidiPorts(std::string clientName) : clientName_(std::move(clientName)) {}

SystemMidiPorts::~SystemMidiPorts() {
    close();
}

void SystemMidiPorts::noteError(RtMidiError::Type type, const std::string&, void* self) {
    // Warnings (such as "JACK server not running?" at every look) are not failures and
    // would otherwise be printed each time.
    if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) return;
    static_cast<SystemMidiPorts*>(self)->failed_ = true;
}

RtMidiOut* SystemMidiPorts::outputFor(RtMidi::Api api) {
    auto& slot = api == RtMidi::UNIX_JACK ? jack_ : alsa_;
    if (!slot) {
        if (api == RtMidi::UNIX_JACK && !jackServerRunning(clientName_ + " probe")) return nullptr;
        try {
            // Without a sequencer device ALSA throws here; it is asked again next time,
            // which costs one failed open.
            slot = std::make_unique<RtMidiOut>(api, clientName_);
        } catch (const std::exception&) {
            return nullptr;
        }
        slot->setErrorCallback(&SystemMidiPorts::noteError, this);
    }
    return slot.get();
}

void SystemMidiPorts::appendPorts(RtMidi::Api api, std::vector<SystemMidiPort>& ports) {
    RtMidiOut* out = outputFor(api);
    if (out == nullptr) return;
    const std::string ownPrefix = clientName_ + ":";
    failed_ = false;
    try {
        const unsigned count = out->getPortCount();
        for (unsigned i = 0; i < count && !failed_; ++i) {
            auto name = out->getPortName(i);
            if (failed_ || name.empty() || name.starts_with(ownPrefix)) continue;
            ports.push_back({api, std::move(name)});
        }
    } catch (const std::exception&) {
    }
}

std::vector<SystemMidiPort> SystemMidiPorts::enumerate() {
    std::vector<SystemMidiPort> ports;
    appendPorts(RtMidi::LINUX_ALSA, ports);
    appendPorts(RtMidi::UNIX_JACK, ports);
    return ports;
}

bool SystemMidiPorts::open(const SystemMidiPort& port) {
    close();
    RtMidiOut* out = outputFor(port.api);
    if (out == nullptr) return false;
    failed_ = false;
    try {
        const unsigned count = out->getPortCount();
        for (unsigned i = 0; i < count && !failed_; ++i) {
            if (out->getPortName(i) != port.name) continue;
            out->openPort(i, "Output");
            if (failed_ || !out->isPortOpen()) {
                out->closePort();
                return false;
            }
            openOut_ = out;
            return true;
        }
    } catch (const std::exception&) {
    }
    return false;
}

void SystemMidiPorts::close() {
    if (openOut_ == nullptr) return;
    try {
        openOut_->closePort();
    } catch (const std::exception&) {
    }
    openOut_ = nullptr;
}

bool SystemMidiPorts::send(const std::vector<uint8_t>& bytes) {
    if (openOut_ == nullptr) return false;
    failed_ = false;
    try {
        openOut_->sendMessage(bytes.data(), bytes.size());
        return !failed_;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace tonvel
