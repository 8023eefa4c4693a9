// A MIDI receiver on a JACK input port that loses nothing: the process callback only copies
// events into a large ring buffer, and the main thread prints them, one line each:
//   <frame> <microseconds> <bytes in hex>
// The frame is the event's place on the server's clock, where a synthesizer would play it.
// With LATE_FILE, every cycle that began more than a period after the one before is written
// there as "<frame> <microseconds beyond the period>": the server's clock running late, which
// moves the frames of what arrives whatever the sender did.
//   tonvel_jack_receiver [CLIENT_NAME [LATE_FILE]]
// The port is CLIENT_NAME:input; it stops on SIGTERM or SIGINT.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

struct Event {
    uint32_t frame;
    uint32_t size;
    uint64_t microseconds;
    uint8_t bytes[8];
};

jack_client_t* client = nullptr;
jack_port_t* input = nullptr;
jack_ringbuffer_t* ring = nullptr;
jack_ringbuffer_t* lateRing = nullptr;  // LateCycle records, when asked for
jack_time_t periodMicroseconds = 0;
jack_time_t lastCycle = 0;

struct LateCycle {
    uint32_t frame;
    uint64_t microseconds;
};
std::atomic<bool> running{true};
std::atomic<unsigned> overflows{0};

int process(jack_nframes_t frames, void*) {
    void* buffer = jack_port_get_buffer(input, frames);
    const jack_nframes_t cycleStart = jack_last_frame_time(client);
    const jack_time_t now = jack_get_time();
    if (lateRing && lastCycle != 0 && now > lastCycle + periodMicroseconds + 500) {
        const LateCycle late{cycleStart, now - lastCycle - periodMicroseconds};
        if (jack_ringbuffer_write_space(lateRing) >= sizeof late)
            jack_ringbuffer_write(lateRing, reinterpret_cast<const char*>(&late), sizeof late);
    }
    lastCycle = now;
    const uint32_t count = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t in;
        if (jack_midi_event_get(&in, buffer, i) != 0) continue;
        Event event{};
        event.frame = cycleStart + in.time;
        event.microseconds = static_cast<uint64_t>(jack_frames_to_time(client, event.frame));
        event.size =
            static_cast<uint32_t>(in.size < sizeof event.bytes ? in.size : sizeof event.bytes);
        std::memcpy(event.bytes, in.buffer, event.size);
        if (jack_ringbuffer_write_space(ring) < sizeof event) {
            overflows.fetch_add(1);
            continue;
        }
        jack_ringbuffer_write(ring, reinterpret_cast<const char*>(&event), sizeof event);
    }
    return 0;
}

void stop(int) {
    running = false;
}

// Writes out the late cycles recorded so far.
void writeLate(FILE* file) {
    LateCycle late;
    bool any = false;
    while (jack_ringbuffer_read_space(lateRing) >= sizeof late) {
        jack_ringbuffer_read(lateRing, reinterpret_cast<char*>(&late), sizeof late);
        std::fprintf(file, "%u %llu\n", late.frame,
                     static_cast<unsigned long long>(late.microseconds));
        any = true;
    }
    if (any) std::fflush(file);
}

void print(const Event& event) {
    std::printf("%u %llu", event.frame, static_cast<unsigned long long>(event.microseconds));
    for (uint32_t i = 0; i < event.size; ++i) std::printf(" %02x", event.bytes[i]);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    const char* name = argc > 1 ? argv[1] : "tonvel-receiver";
    jack_status_t status;
    client = jack_client_open(name, JackNoStartServer, &status);
    if (!client) {
        std::fprintf(stderr, "jack_receiver: no JACK server (status 0x%x)\n", status);
        return 1;
    }
    ring = jack_ringbuffer_create(1 << 22);
    FILE* lateFile = argc > 2 ? std::fopen(argv[2], "w") : nullptr;
    if (argc > 2 && !lateFile) {
        std::fprintf(stderr, "jack_receiver: cannot write %s\n", argv[2]);
        return 1;
    }
    if (lateFile) lateRing = jack_ringbuffer_create(1 << 16);
    periodMicroseconds = static_cast<jack_time_t>(jack_get_buffer_size(client)) * 1000000u /
                         jack_get_sample_rate(client);
    input = jack_port_register(client, "input", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (!ring || !input || jack_set_process_callback(client, process, nullptr) != 0 ||
        jack_activate(client) != 0) {
        std::fprintf(stderr, "jack_receiver: could not set up the port\n");
        return 1;
    }
    std::signal(SIGTERM, stop);
    std::signal(SIGINT, stop);
    std::fprintf(stderr, "jack_receiver: listening on %s:input at %u Hz\n", name,
                 jack_get_sample_rate(client));
    std::fflush(stderr);
    Event event;
    while (running) {
        bool any = false;
        while (jack_ringbuffer_read_space(ring) >= sizeof event) {
            jack_ringbuffer_read(ring, reinterpret_cast<char*>(&event), sizeof event);
            print(event);
            any = true;
        }
        if (any) std::fflush(stdout);
        if (lateFile) writeLate(lateFile);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    jack_deactivate(client);
    while (jack_ringbuffer_read_space(ring) >= sizeof event) {
        jack_ringbuffer_read(ring, reinterpret_cast<char*>(&event), sizeof event);
        print(event);
    }
    std::fflush(stdout);
    if (lateFile) {
        writeLate(lateFile);
        std::fclose(lateFile);
    }
    if (overflows) std::fprintf(stderr, "jack_receiver: %u events lost\n", overflows.load());
    jack_client_close(client);
    return overflows ? 2 : 0;
}
