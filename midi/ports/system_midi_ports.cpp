#include "midi/ports/system_midi_ports.h"

#include <exception>

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
    if (api != RtMidi::LINUX_ALSA) return nullptr;
    auto& slot = alsa_;
    if (!slot) {
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
    for (auto& name : jackMidiInputPorts(clientName_))
        ports.push_back({RtMidi::UNIX_JACK, std::move(name)});
    return ports;
}

bool SystemMidiPorts::open(const SystemMidiPort& port, bool mayWait) {
    close();
    if (port.api == RtMidi::UNIX_JACK) return jackOut_.open(clientName_, port.name, mayWait);
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
    jackOut_.close();
    if (openOut_ == nullptr) return;
    try {
        openOut_->closePort();
    } catch (const std::exception&) {
    }
    openOut_ = nullptr;
}

JackMidiOut::TargetChange SystemMidiPorts::watch() {
    return jackOut_.isOpen() ? jackOut_.watchTarget() : JackMidiOut::TargetChange::None;
}

SendResult SystemMidiPorts::send(const uint8_t* bytes, size_t size,
                                 std::chrono::steady_clock::time_point due) {
    if (jackOut_.isOpen()) return jackOut_.send(bytes, size, due);
    if (openOut_ == nullptr) return SendResult::Failed;
    failed_ = false;
    try {
        // The sequencer's output is drained at every message: nothing waits in this client.
        openOut_->sendMessage(bytes, size);
        return failed_ ? SendResult::Failed : SendResult::Sent;
    } catch (const std::exception&) {
        return SendResult::Failed;
    }
}

}  // namespace tonvel
