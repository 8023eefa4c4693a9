#include "midi/input/jack_midi_in.h"

#include <jack/midiport.h>

#include <thread>

#include "midi/input/input_messages.h"
#include "midi/jack/jack_autostart.h"
#include "midi/jack/jack_own_clients.h"
#include "midi/jack/jack_server_socket.h"

namespace tonvel {

namespace {

// A connection JACK made but whose first cycle never came: its source went at once.
constexpr std::chrono::seconds kStartingLimit{1};

}  // namespace

JackMidiIn::JackMidiIn(std::string programName, const InputSignal& signal)
    : programName_(std::move(programName)), signal_(signal) {
    attach();
}

JackMidiIn::~JackMidiIn() {
    detach();
}

bool JackMidiIn::attach() {
    if (client_ != nullptr) return true;
    preventJackServerAutostart();
    if (!jackServerMayAnswer()) return false;
    jack_status_t status{};
    client_ = jack_client_open(programName_.c_str(), JackNoStartServer, &status);
    if (client_ == nullptr) return false;
    shutDown_ = false;
    Slot& input = slots_[0];
    input.port = jack_port_register(client_, "Input", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    input.id = kPublicId;
    input.connections = 0;
    input.state.store(Live, std::memory_order_release);
    if (input.port == nullptr ||
        jack_set_process_callback(client_, &JackMidiIn::onProcess, this) != 0 ||
        jack_set_port_registration_callback(client_, &JackMidiIn::onRegistration, this) != 0) {
        detach();
        return false;
    }
    jack_on_shutdown(client_, &JackMidiIn::onShutdown, this);
    if (jack_activate(client_) != 0) {
        detach();
        return false;
    }
    return true;
}

void JackMidiIn::detach() {
    if (client_ == nullptr) return;
    jack_client_close(client_);
    client_ = nullptr;
    for (Slot& slot : slots_) {
        slot.port = nullptr;
        slot.state.store(Free, std::memory_order_relaxed);
    }
}

std::vector<MidiSource> JackMidiIn::sources() {
    std::vector<MidiSource> sources;
    if (!attach()) return sources;
    const auto now = std::chrono::steady_clock::now();
    for (size_t i = 1; i < kSlots; ++i) {
        Slot& slot = slots_[i];
        int state = Starting;
        if (slot.state.load(std::memory_order_acquire) == Starting &&
            now - slot.since > kStartingLimit && jack_port_connected(slot.port) == 0 &&
            slot.state.compare_exchange_strong(state, Closing, std::memory_order_acq_rel))
            release(slot);
    }
    const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
    if (ports == nullptr) return sources;
    for (const char** name = ports; *name != nullptr; ++name) {
        if (isOwnJackPort(*name, programName_)) continue;
        jack_port_t* port = jack_port_by_name(client_, *name);
        if (port == nullptr || jack_port_is_mine(client_, port)) continue;
        sources.push_back(
            {*name, (jack_port_flags(port) & JackPortIsPhysical) != 0, connectedToUs(*name)});
    }
    jack_free(ports);
    return sources;
}

bool JackMidiIn::connectedToUs(const std::string& name) const {
    for (const Slot& slot : slots_) {
        const int state = slot.state.load(std::memory_order_acquire);
        if ((state == Starting || state == Live) &&
            jack_port_connected_to(slot.port, name.c_str()) != 0)
            return true;
    }
    return false;
}

bool JackMidiIn::connect(const std::string& name, bool connected) {
    if (client_ == nullptr || isOwnJackPort(name, programName_)) return false;
    jack_port_t* source = jack_port_by_name(client_, name.c_str());
    if (source == nullptr || jack_port_is_mine(client_, source) ||
        (jack_port_flags(source) & JackPortIsOutput) == 0)
        return false;
    if (!connected) {
        for (size_t i = 0; i < kSlots; ++i) {
            Slot& slot = slots_[i];
            int state = slot.state.load(std::memory_order_acquire);
            if ((state != Starting && state != Live) ||
                jack_port_connected_to(slot.port, name.c_str()) == 0)
                continue;
            // The process callback ends a live connection itself, after its last messages.
            jack_disconnect(client_, name.c_str(), jack_port_name(slot.port));
            if (i > 0 && state == Starting &&
                slot.state.compare_exchange_strong(state, Closing, std::memory_order_acq_rel))
                release(slot);
        }
        return true;
    }
    if (connectedToUs(name)) return true;
    for (size_t i = 1; i < kSlots; ++i) {
        Slot& slot = slots_[i];
        if (slot.state.load(std::memory_order_acquire) != Free) continue;
        const std::string portName = "Input " + std::to_string(i);
        slot.port = jack_port_register(client_, portName.c_str(), JACK_DEFAULT_MIDI_TYPE,
                                       JackPortIsInput, 0);
        if (slot.port == nullptr) return false;
        slot.id = nextId_;
        nextId_ = nextId_ == 0xFFFF ? kPublicId + 1 : static_cast<uint16_t>(nextId_ + 1);
        slot.connections = 0;
        slot.since = std::chrono::steady_clock::now();
        slot.state.store(Starting, std::memory_order_release);
        if (jack_connect(client_, name.c_str(), jack_port_name(slot.port)) == 0) return true;
        int state = Starting;
        if (slot.state.compare_exchange_strong(state, Closing, std::memory_order_acq_rel))
            release(slot);
        return false;
    }
    return false;
}

void JackMidiIn::release(Slot& slot) {
    waitForCycle();
    jack_port_unregister(client_, slot.port);
    slot.port = nullptr;
    slot.state.store(Free, std::memory_order_release);
}

void JackMidiIn::waitForCycle() {
    // A cycle that began after the slot closed has seen it closed, and the one before has ended.
    const uint64_t seen = cycles_.load(std::memory_order_acquire);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (cycles_.load(std::memory_order_acquire) == seen && !shutDown_ &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

void JackMidiIn::takeEvents(std::vector<MidiInputEvent>& events) {
    while (const auto event = ring_.pop()) {
        events.push_back(*event);
        if (event->kind != MidiInputEvent::Kind::SourceGone || event->source == kPublicId) continue;
        for (size_t i = 1; i < kSlots; ++i) {
            Slot& slot = slots_[i];
            if (slot.id == event->source && slot.state.load(std::memory_order_acquire) == Retired) {
                jack_port_unregister(client_, slot.port);
                slot.port = nullptr;
                slot.state.store(Free, std::memory_order_release);
            }
        }
    }
    if (client_ != nullptr && shutDown_.load(std::memory_order_acquire)) {
        // The server went, and every connection with it.
        for (const Slot& slot : slots_) {
            const int state = slot.state.load(std::memory_order_acquire);
            if (state == Live || state == Starting)
                events.push_back({MidiInputEvent::Kind::SourceGone, slot.id, 0});
        }
        detach();
        sourcesChanged_ = true;
    }
    if (sourcesChanged_.exchange(false, std::memory_order_acq_rel))
        events.push_back({MidiInputEvent::Kind::SourcesChanged, 0, 0});
}

int JackMidiIn::onProcess(jack_nframes_t frames, void* self) {
    return static_cast<JackMidiIn*>(self)->process(frames);
}

void JackMidiIn::onRegistration(jack_port_id_t, int, void* self) {
    auto* input = static_cast<JackMidiIn*>(self);
    input->sourcesChanged_.store(true, std::memory_order_release);
    input->signal_.raise();
}

void JackMidiIn::onShutdown(void* self) {
    auto* input = static_cast<JackMidiIn*>(self);
    input->shutDown_.store(true, std::memory_order_release);
    input->signal_.raise();
}

int JackMidiIn::process(jack_nframes_t frames) {
    cycles_.fetch_add(1, std::memory_order_acq_rel);
    bool pushed = false;
    for (size_t i = 0; i < kSlots; ++i) {
        Slot& slot = slots_[i];
        int state = slot.state.load(std::memory_order_acquire);
        if (state != Starting && state != Live) continue;
        void* buffer = jack_port_get_buffer(slot.port, frames);
        const uint32_t count = jack_midi_get_event_count(buffer);
        for (uint32_t e = 0; e < count; ++e) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, buffer, e) != 0) continue;
            const auto message = channelMessageFromBytes(event.buffer, event.size);
            if (!message) continue;
            if (ring_.push({MidiInputEvent::Kind::Message, slot.id, *message}))
                pushed = true;
            else
                dropped_.fetch_add(1, std::memory_order_relaxed);
        }
        const int connections = jack_port_connected(slot.port);
        if (state == Starting && connections > 0 &&
            slot.state.compare_exchange_strong(state, Live, std::memory_order_acq_rel))
            state = Live;
        if (connections < slot.connections) {
            // Tried again next cycle when the ring is full: an end is never lost.
            if (!ring_.push({MidiInputEvent::Kind::SourceGone, slot.id, 0})) continue;
            pushed = true;
            if (i > 0 && connections == 0)
                slot.state.compare_exchange_strong(state, Retired, std::memory_order_acq_rel);
        }
        slot.connections = connections;
    }
    if (pushed) signal_.raise();
    return 0;
}

}  // namespace tonvel
