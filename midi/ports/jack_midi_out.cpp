#include "midi/ports/jack_midi_out.h"

#include <jack/midiport.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <thread>

#include "midi/jack/jack_own_clients.h"

namespace tonvel {

namespace {

// One event in the ring: when it is due on JACK's clock, its length, then up to three bytes.
struct Event {
    jack_time_t due;
    uint8_t size;
    std::array<uint8_t, 3> bytes;
};
constexpr size_t kEventSize = sizeof(Event);
// Some 16,000 messages: a burst of a few seconds' worth waits here rather than being lost.
constexpr size_t kRingBytes = 1 << 18;
// A due time this far past the cycle's start cannot be one the sending thread gave: it leaves
// at once rather than wait for it. About a second and a half.
constexpr int64_t kFarAhead = 1 << 16;

}  // namespace

std::optional<jack_nframes_t> frameInCycle(jack_nframes_t dueFrame, jack_nframes_t cycleStart,
                                           jack_nframes_t frames) {
    // The frame counter wraps: the distance, with its sign, is what counts.
    const int64_t since = static_cast<int32_t>(dueFrame - cycleStart);
    if (since >= kFarAhead) return 0;
    if (since >= 0) return std::nullopt;
    return static_cast<jack_nframes_t>(std::max<int64_t>(since + frames, 0));
}

std::vector<std::string> jackMidiInputPorts(const std::string& ownClient) {
    std::vector<std::string> names;
    const auto client = JackClient::shared(ownClient);
    if (client == nullptr) return names;
    if (const char** ports =
            jack_get_ports(client->handle(), nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput)) {
        // Our input's client among them: sending to it would loop.
        for (const char** port = ports; *port != nullptr; ++port) {
            if (!isOwnJackPort(*port, ownClient)) names.emplace_back(*port);
        }
        jack_free(ports);
    }
    return names;
}

JackMidiOut::~JackMidiOut() {
    close();
}

bool JackMidiOut::open(const std::string& clientName, const std::string& target, bool mayWait) {
    close();
    client_ = JackClient::shared(clientName);
    if (client_ == nullptr) return false;
    target_ = target;
    gone_ = false;
    written_ = carried_ = cycles_ = 0;
    ring_ = jack_ringbuffer_create(kRingBytes);
    port_ = jack_port_register(client_->handle(), "Output", JACK_DEFAULT_MIDI_TYPE,
                               JackPortIsOutput, 0);
    if (ring_ != nullptr) jack_ringbuffer_mlock(ring_);
    if (ring_ == nullptr || port_ == nullptr || !client_->add(*this)) {
        close(std::chrono::milliseconds(0));
        return false;
    }
    targetPresent_ = jack_connect(client_->handle(), jack_port_name(port_), target.c_str()) == 0;
    if (!targetPresent_ &&
        !(mayWait && jack_port_by_name(client_->handle(), target.c_str()) == nullptr)) {
        close(std::chrono::milliseconds(0));
        return false;
    }
    return true;
}

JackMidiOut::TargetChange JackMidiOut::watchTarget() {
    if (client_ == nullptr || gone_) return TargetChange::None;
    const bool present = jack_port_by_name(client_->handle(), target_.c_str()) != nullptr;
    if (!present) {
        if (!targetPresent_) return TargetChange::None;
        targetPresent_ = false;
        return TargetChange::Gone;
    }
    // A connection the user took away while the target stayed is left as the user wants it.
    if (targetPresent_) return TargetChange::None;
    const int connected =
        jack_connect(client_->handle(), jack_port_name(port_), target_.c_str());
    if (connected != 0 && connected != EEXIST) return TargetChange::None;
    targetPresent_ = true;
    return TargetChange::Back;
}

void JackMidiOut::close(std::chrono::milliseconds limit) {
    if (client_ == nullptr) return;
    if (port_ != nullptr) drain(limit);
    client_->remove(*this);
    if (port_ != nullptr) jack_port_unregister(client_->handle(), port_);
    port_ = nullptr;
    client_.reset();
    if (ring_ != nullptr) jack_ringbuffer_free(ring_);
    ring_ = nullptr;
}

SendResult JackMidiOut::send(const uint8_t* bytes, size_t size,
                             std::chrono::steady_clock::time_point due) {
    if (port_ == nullptr || gone_.load(std::memory_order_relaxed) || size == 0 || size > 3)
        return SendResult::Failed;
    if (jack_ringbuffer_write_space(ring_) < kEventSize) return SendResult::Busy;
    // JACK keeps a clock of its own: the time is carried over as a distance from now.
    const auto ahead = std::chrono::duration_cast<std::chrono::microseconds>(
                           due - std::chrono::steady_clock::now())
                           .count();
    Event event{};
    event.due = static_cast<jack_time_t>(static_cast<int64_t>(jack_get_time()) + ahead);
    event.size = static_cast<uint8_t>(size);
    std::memcpy(event.bytes.data(), bytes, size);
    jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(&event), kEventSize);
    written_.fetch_add(1, std::memory_order_release);
    return SendResult::Sent;
}

bool JackMidiOut::drain(std::chrono::milliseconds limit) {
    if (port_ == nullptr) return true;
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

void JackMidiOut::xrun() {
    lost_ = true;
}

void JackMidiOut::shutdown() {
    gone_ = true;
}

void JackMidiOut::process(jack_nframes_t frames) {
    cycles_.fetch_add(1, std::memory_order_acq_rel);
    void* buffer = jack_port_get_buffer(port_, frames);
    jack_midi_clear_buffer(buffer);
    jack_client_t* client = client_->handle();
    const jack_nframes_t cycleStart = jack_last_frame_time(client);
    const jack_time_t now = jack_get_time();
    if (lost_.exchange(false, std::memory_order_acq_rel)) {
        endings_.repeat(now, [&](const uint8_t* bytes, size_t size) {
            if (jack_midi_max_event_size(buffer) < size) return;
            if (jack_midi_data_t* data = jack_midi_event_reserve(buffer, 0, size))
                std::memcpy(data, bytes, size);
        });
    }
    uint64_t carried = 0;
    jack_nframes_t lastFrame = 0;
    Event event{};
    while (jack_ringbuffer_read_space(ring_) >= kEventSize) {
        jack_ringbuffer_peek(ring_, reinterpret_cast<char*>(&event), kEventSize);
        const auto place = frameInCycle(jack_time_to_frames(client, event.due), cycleStart, frames);
        if (!place) break;
        // Events of a cycle go in the order of their frames.
        const jack_nframes_t frame = std::max(*place, lastFrame);
        // Asked first: a reserve that fails prints from this thread. What does not fit now
        // leaves at the start of the next period.
        if (jack_midi_max_event_size(buffer) < event.size) break;
        jack_midi_data_t* data = jack_midi_event_reserve(buffer, frame, event.size);
        if (data == nullptr) break;
        std::memcpy(data, event.bytes.data(), event.size);
        endings_.sent(event.bytes.data(), event.size, now);
        jack_ringbuffer_read_advance(ring_, kEventSize);
        lastFrame = frame;
        ++carried;
    }
    carried_.fetch_add(carried, std::memory_order_acq_rel);
}

}  // namespace tonvel
