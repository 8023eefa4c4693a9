#include "midi/ports/jack_midi_out.h"

#include <jack/midiport.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <thread>

#include "midi/jack/jack_autostart.h"
#include "midi/jack/jack_own_clients.h"
#include "midi/jack/jack_server_socket.h"

namespace tonvel {

namespace {

// One event in the ring: its length, then up to three bytes.
constexpr size_t kEventSize = 4;
// Some 16,000 messages: a burst of a few seconds' worth waits here rather than being lost.
constexpr size_t kRingBytes = 1 << 16;

jack_client_t* openClient(const std::string& name) {
    preventJackServerAutostart();
    if (!jackServerMayAnswer()) return nullptr;
    jack_status_t status{};
    return jack_client_open(name.c_str(), JackNoStartServer, &status);
}

}  // namespace

std::vector<std::string> jackMidiInputPorts(const std::string& ownClient) {
    std::vector<std::string> names;
    jack_client_t* client = openClient(ownClient + " ports");
    if (client == nullptr) return names;
    if (const char** ports =
            jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput)) {
        // Our input's client among them: sending to it would loop.
        for (const char** port = ports; *port != nullptr; ++port) {
            if (!isOwnJackPort(*port, ownClient)) names.emplace_back(*port);
        }
        jack_free(ports);
    }
    jack_client_close(client);
    return names;
}

JackMidiOut::~JackMidiOut() {
    close();
}

bool JackMidiOut::open(const std::string& clientName, const std::string& target, bool mayWait) {
    close();
    client_ = openClient(clientName);
    if (client_ == nullptr) return false;
    target_ = target;
    gone_ = false;
    written_ = carried_ = cycles_ = 0;
    ring_ = jack_ringbuffer_create(kRingBytes);
    port_ = jack_port_register(client_, "Output", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    const bool ready = ring_ != nullptr && port_ != nullptr &&
                       jack_set_process_callback(client_, &JackMidiOut::onProcess, this) == 0;
    if (ready) {
        jack_ringbuffer_mlock(ring_);
        jack_on_shutdown(client_, &JackMidiOut::onShutdown, this);
    }
    if (!ready || jack_activate(client_) != 0) {
        close(std::chrono::milliseconds(0));
        return false;
    }
    targetPresent_ = jack_connect(client_, jack_port_name(port_), target.c_str()) == 0;
    if (!targetPresent_ && !(mayWait && jack_port_by_name(client_, target.c_str()) == nullptr)) {
        close(std::chrono::milliseconds(0));
        return false;
    }
    return true;
}

JackMidiOut::TargetChange JackMidiOut::watchTarget() {
    if (client_ == nullptr || gone_) return TargetChange::None;
    const bool present = jack_port_by_name(client_, target_.c_str()) != nullptr;
    if (!present) {
        if (!targetPresent_) return TargetChange::None;
        targetPresent_ = false;
        return TargetChange::Gone;
    }
    // A connection the user took away while the target stayed is left as the user wants it.
    if (targetPresent_) return TargetChange::None;
    const int connected = jack_connect(client_, jack_port_name(port_), target_.c_str());
    if (connected != 0 && connected != EEXIST) return TargetChange::None;
    targetPresent_ = true;
    return TargetChange::Back;
}

void JackMidiOut::close(std::chrono::milliseconds limit) {
    if (client_ == nullptr) return;
    drain(limit);
    jack_client_close(client_);
    client_ = nullptr;
    port_ = nullptr;
    if (ring_ != nullptr) jack_ringbuffer_free(ring_);
    ring_ = nullptr;
}

SendResult JackMidiOut::send(const uint8_t* bytes, size_t size) {
    if (client_ == nullptr || gone_.load(std::memory_order_relaxed) || size == 0 ||
        size >= kEventSize)
        return SendResult::Failed;
    if (jack_ringbuffer_write_space(ring_) < kEventSize) return SendResult::Busy;
    std::array<char, kEventSize> event{static_cast<char>(size)};
    std::memcpy(event.data() + 1, bytes, size);
    jack_ringbuffer_write(ring_, event.data(), kEventSize);
    written_.fetch_add(1, std::memory_order_release);
    return SendResult::Sent;
}

bool JackMidiOut::drain(std::chrono::milliseconds limit) {
    if (client_ == nullptr) return true;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const auto waitFor = [&](auto done) {
        while (!done()) {
            if (gone_ || std::chrono::steady_clock::now() >= deadline) return false;
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        return true;
    };
    const uint64_t target = written_.load(std::memory_order_acquire);
    if (!waitFor([&] { return carried_.load(std::memory_order_acquire) >= target; })) return false;
    // The cycle that carried the last of it has ended once the next one starts.
    const uint64_t cycle = cycles_.load(std::memory_order_acquire);
    return waitFor([&] { return cycles_.load(std::memory_order_acquire) > cycle; });
}

int JackMidiOut::onProcess(jack_nframes_t frames, void* self) {
    return static_cast<JackMidiOut*>(self)->process(frames);
}

void JackMidiOut::onShutdown(void* self) {
    static_cast<JackMidiOut*>(self)->gone_ = true;
}

int JackMidiOut::process(jack_nframes_t frames) {
    cycles_.fetch_add(1, std::memory_order_acq_rel);
    void* buffer = jack_port_get_buffer(port_, frames);
    jack_midi_clear_buffer(buffer);
    uint64_t carried = 0;
    std::array<char, kEventSize> event{};
    while (jack_ringbuffer_read_space(ring_) >= kEventSize) {
        jack_ringbuffer_peek(ring_, event.data(), kEventSize);
        const auto size = static_cast<size_t>(event[0]);
        // Asked first: a reserve that fails prints from this thread. What does not fit now
        // leaves at the start of the next period.
        if (jack_midi_max_event_size(buffer) < size) break;
        jack_midi_data_t* data = jack_midi_event_reserve(buffer, 0, size);
        if (data == nullptr) break;
        std::memcpy(data, event.data() + 1, size);
        jack_ringbuffer_read_advance(ring_, kEventSize);
        ++carried;
    }
    carried_.fetch_add(carried, std::memory_order_acq_rel);
    return 0;
}

}  // namespace tonvel
