// The MIDI input's own latency at JACK: from a message at our port (stamped by the sending
// client's process callback, which runs just before ours in the same cycle) to the moment the
// window's thread, woken by the input's descriptor, has it from poll(). Prints the median,
// 90th and 99th percentiles and the worst, in microseconds, over COUNT notes.
//   tonvel_midi_input_latency [COUNT]
#include <jack/jack.h>
#include <jack/midiport.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <vector>

#include "midi/input/platform_midi_input.h"

namespace {

using Clock = std::chrono::steady_clock;

jack_port_t* output = nullptr;
std::atomic<int> request{-1};  // the note to send next cycle
std::atomic<int64_t> sentAt{0};

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

int process(jack_nframes_t frames, void*) {
    void* buffer = jack_port_get_buffer(output, frames);
    jack_midi_clear_buffer(buffer);
    const int note = request.exchange(-1, std::memory_order_acq_rel);
    if (note < 0) return 0;
    const unsigned char message[3] = {0x90, static_cast<unsigned char>(note), 100};
    jack_midi_event_write(buffer, 0, message, 3);
    sentAt.store(nowNs(), std::memory_order_release);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 2000;
    jack_client_t* client = jack_client_open("TonvelLatencyKeys", JackNoStartServer, nullptr);
    if (client == nullptr) {
        std::fprintf(stderr, "midi_input_latency: no JACK server\n");
        return 1;
    }
    output = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE,
                                JackPortIsOutput | JackPortIsPhysical | JackPortIsTerminal, 0);
    jack_set_process_callback(client, process, nullptr);
    jack_activate(client);

    tonvel::PlatformMidiInput input(nullptr, "Tonvel", true);
    if (!input.connect(jack_port_name(output), true)) {
        std::fprintf(stderr, "midi_input_latency: could not connect to our input\n");
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::vector<tonvel::MidiInputEvent> events;
    input.poll(events);

    std::mt19937 random(1);
    std::vector<double> latencies;
    pollfd fd{input.eventDescriptor(), POLLIN, 0};
    for (int i = 0; i < count; ++i) {
        // Requests at random places in the period.
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + random() % 3000));
        const int note = 20 + i % 80;
        request.store(note, std::memory_order_release);
        bool heard = false;
        const auto deadline = Clock::now() + std::chrono::seconds(1);
        while (!heard && Clock::now() < deadline) {
            if (::poll(&fd, 1, 100) <= 0) continue;
            uint64_t raised;
            [[maybe_unused]] const auto read = ::read(fd.fd, &raised, sizeof raised);
            events.clear();
            input.poll(events);
            const int64_t now = nowNs();
            for (const auto& event : events) {
                if (event.kind != tonvel::MidiInputEvent::Kind::Message ||
                    ((event.message >> 8) & 0x7F) != static_cast<uint32_t>(note))
                    continue;
                latencies.push_back(static_cast<double>(now - sentAt.load()) / 1000.0);
                heard = true;
            }
        }
    }
    jack_client_close(client);
    if (latencies.empty()) {
        std::fprintf(stderr, "midi_input_latency: nothing arrived\n");
        return 1;
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double share) {
        return latencies[std::min(
            latencies.size() - 1,
            static_cast<size_t>(share * static_cast<double>(latencies.size())))];
    };
    std::printf("notes %zu of %d, microseconds: median %.0f, p90 %.0f, p99 %.0f, worst %.0f\n",
                latencies.size(), count, at(0.5), at(0.9), at(0.99), latencies.back());
    return latencies.size() == static_cast<size_t>(count) ? 0 : 1;
}
