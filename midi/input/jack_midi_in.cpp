#include "midi/input/jack_midi_in.h"

#include <jack/midiport.h>

#include "midi/input/input_messages.h"
#include "midi/jack/jack_own_clients.h"

namespace tonvel {

JackMidiIn::JackMidiIn(std::string programName, const InputSignal& signal)
    : programName_(std::move(programName)), signal_(signal) {
    attach();
}

JackMidiIn::~JackMidiIn() {
    detach();
}

bool JackMidiIn::attach() {
    if (client_ != nullptr && !shutDown_.load(std::memory_order_acquire)) return true;
    if (client_ != nullptr) detach();
    client_ = JackClient::shared(programName_);
    if (client_ == nullptr) return false;
    shutDown_ = false;
    if (listen(0, "Input", kPublicId) == nullptr || !client_->add(*this)) {
        detach();
        return false;
    }
    return true;
}

void JackMidiIn::detach() {
    if (client_ == nullptr) return;
    client_->remove(*this);
    for (Slot& slot : slots_)
        if (slot.state != Free) free(slot);
    client_.reset();
}

JackMidiIn::Slot* JackMidiIn::listen(size_t index, const std::string& portName, uint16_t id) {
    Slot& slot = slots_[index];
    jack_port_t* port = jack_port_register(client_->handle(), portName.c_str(),
                                           JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (port == nullptr) return nullptr;
    slot.port.store(port, std::memory_order_relaxed);
    slot.id = id;
    slot.links.store(0, std::memory_order_relaxed);
    slot.breaks.store(0, std::memory_order_relaxed);
    slot.breaksTold = 0;
    slot.state.store(Listening, std::memory_order_release);
    return &slot;
}

void JackMidiIn::free(Slot& slot) {
    // The process callback leaves a slot that is not Listening alone from its next look on.
    if (slot.state.exchange(Retired) == Listening) client_->waitOutCycle();
    jack_port_unregister(client_->handle(), slot.port.load());
    slot.port.store(nullptr);
    slot.state.store(Free);
}

std::vector<MidiSource> JackMidiIn::sources() {
    std::vector<MidiSource> sources;
    if (!attach()) return sources;
    jack_client_t* client = client_->handle();
    const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
    if (ports == nullptr) return sources;
    for (const char** name = ports; *name != nullptr; ++name) {
        if (isOwnJackPort(*name, programName_)) continue;
        jack_port_t* port = jack_port_by_name(client, *name);
        if (port == nullptr || jack_port_is_mine(client, port)) continue;
        sources.push_back(
            {*name, (jack_port_flags(port) & JackPortIsPhysical) != 0, connectedToUs(*name)});
    }
    jack_free(ports);
    return sources;
}

bool JackMidiIn::connectedToUs(const std::string& name) const {
    for (const Slot& slot : slots_) {
        if (slot.state.load(std::memory_order_acquire) != Listening) continue;
        if (jack_port_connected_to(slot.port.load(std::memory_order_relaxed), name.c_str()) != 0)
            return true;
    }
    return false;
}

bool JackMidiIn::connect(const std::string& name, bool connected) {
    if (client_ == nullptr || isOwnJackPort(name, programName_)) return false;
    jack_client_t* client = client_->handle();
    jack_port_t* source = jack_port_by_name(client, name.c_str());
    if (source == nullptr || jack_port_is_mine(client, source) ||
        (jack_port_flags(source) & JackPortIsOutput) == 0)
        return false;
    if (!connected) {
        // The process callback ends each connection itself, after its last messages.
        for (const Slot& slot : slots_) {
            if (slot.state.load(std::memory_order_acquire) != Listening) continue;
            jack_port_t* port = slot.port.load(std::memory_order_relaxed);
            if (jack_port_connected_to(port, name.c_str()) != 0)
                jack_disconnect(client, name.c_str(), jack_port_name(port));
        }
        return true;
    }
    if (connectedToUs(name)) return true;
    for (size_t i = 1; i < kSlots; ++i) {
        if (slots_[i].state.load(std::memory_order_acquire) != Free) continue;
        Slot* slot = listen(i, "Input " + std::to_string(i), nextId_);
        if (slot == nullptr) return false;
        nextId_ = nextId_ == 0xFFFF ? kPublicId + 1 : static_cast<uint16_t>(nextId_ + 1);
        if (jack_connect(client, name.c_str(),
                         jack_port_name(slot->port.load(std::memory_order_relaxed))) == 0)
            return true;
        free(*slot);
        return false;
    }
    return false;
}

void JackMidiIn::takeEvents(std::vector<MidiInputEvent>& events) {
    while (const auto event = ring_.pop()) {
        events.push_back(*event);
        if (event->kind != MidiInputEvent::Kind::SourceGone || event->source == kPublicId) continue;
        for (size_t i = 1; i < kSlots; ++i) {
            Slot& slot = slots_[i];
            if (slot.id == event->source && slot.state.load(std::memory_order_acquire) == Retired)
                free(slot);
        }
    }
    if (client_ != nullptr && shutDown_.load(std::memory_order_acquire)) {
        // The server went, and every connection with it.
        for (const Slot& slot : slots_)
            if (slot.state.load(std::memory_order_acquire) == Listening)
                events.push_back({MidiInputEvent::Kind::SourceGone, slot.id, 0});
        detach();
        sourcesChanged_ = true;
    }
    if (sourcesChanged_.exchange(false, std::memory_order_acq_rel))
        events.push_back({MidiInputEvent::Kind::SourcesChanged, 0, 0});
}

void JackMidiIn::connection(jack_port_id_t a, jack_port_id_t b, bool made) {
    if (client_ == nullptr) return;
    jack_port_t* first = jack_port_by_id(client_->handle(), a);
    jack_port_t* second = jack_port_by_id(client_->handle(), b);
    for (Slot& slot : slots_) {
        if (slot.state.load(std::memory_order_acquire) != Listening) continue;
        jack_port_t* port = slot.port.load(std::memory_order_relaxed);
        if (port == nullptr || (port != first && port != second)) continue;
        if (made) {
            slot.links.fetch_add(1, std::memory_order_acq_rel);
        } else {
            slot.links.fetch_sub(1, std::memory_order_acq_rel);
            slot.breaks.fetch_add(1, std::memory_order_acq_rel);
        }
    }
    if (!made) signal_.raise();
}

void JackMidiIn::registration(jack_port_id_t, bool) {
    sourcesChanged_.store(true, std::memory_order_release);
    signal_.raise();
}

void JackMidiIn::shutdown() {
    shutDown_.store(true, std::memory_order_release);
    signal_.raise();
}

void JackMidiIn::process(jack_nframes_t frames) {
    bool pushed = false;
    for (size_t i = 0; i < kSlots; ++i) {
        Slot& slot = slots_[i];
        // Sequentially consistent, against free() and the client's count of cycles.
        if (slot.state.load() != Listening) continue;
        void* buffer = jack_port_get_buffer(slot.port.load(std::memory_order_relaxed), frames);
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
        // A connection broken since the last cycle carries nothing from now on: what it carried
        // has just been read, so its end follows its last message.
        const uint32_t breaks = slot.breaks.load(std::memory_order_acquire);
        if (breaks == slot.breaksTold) continue;
        // Tried again next cycle when the ring is full: an end is never lost.
        if (!ring_.push({MidiInputEvent::Kind::SourceGone, slot.id, 0})) continue;
        pushed = true;
        slot.breaksTold = breaks;
        if (i > 0 && slot.links.load(std::memory_order_acquire) <= 0) {
            int listening = Listening;
            slot.state.compare_exchange_strong(listening, Retired);
        }
    }
    if (pushed) signal_.raise();
}

}  // namespace tonvel
