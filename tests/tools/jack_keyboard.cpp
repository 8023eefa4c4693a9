// A JACK client standing for a USB MIDI keyboard: its port CLIENT_NAME:midi_out is flagged
// physical and terminal, as JACK shows a hardware capture port. It reads lines from its
// standard input and sends each in the next cycle, on channel 1:
//   on NOTE VELOCITY     off NOTE [VELOCITY]     cc NUMBER VALUE     bend VALUE (0..16383)
//   program NUMBER
// It prints "ready" once its port is there, "connected" once a port is connected to it, and ends at
// the end of its input (after the last message has left) or on SIGTERM or SIGINT. With SENT_LOG
// set, each message's place on the server's clock is written there as "<frame> <bytes in hex>", as
// the receiver writes them.
//   tonvel_jack_keyboard [CLIENT_NAME]
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace {

using Message = std::array<unsigned char, 3>;

jack_port_t* output = nullptr;
jack_ringbuffer_t* ring = nullptr;
jack_ringbuffer_t* sentRing = nullptr;  // frame and bytes of what left, for SENT_LOG
jack_client_t* client = nullptr;
struct Sent {
    jack_nframes_t frame;
    Message bytes;
};
std::atomic<bool> running{true};

int process(jack_nframes_t frames, void*) {
    void* buffer = jack_port_get_buffer(output, frames);
    jack_midi_clear_buffer(buffer);
    Message message;
    while (jack_ringbuffer_read_space(ring) >= sizeof message) {
        jack_ringbuffer_peek(ring, reinterpret_cast<char*>(message.data()), sizeof message);
        const size_t size = (message[0] & 0xF0) == 0xC0 ? 2 : 3;
        if (jack_midi_event_write(buffer, 0, message.data(), size) != 0) break;
        jack_ringbuffer_read_advance(ring, sizeof message);
        const Sent sent{jack_last_frame_time(client), message};
        if (jack_ringbuffer_write_space(sentRing) >= sizeof sent)
            jack_ringbuffer_write(sentRing, reinterpret_cast<const char*>(&sent), sizeof sent);
    }
    return 0;
}

void stop(int) {
    running = false;
}

// Tells, once, that something listens: a line "connected" on standard output.
void connected(jack_port_id_t a, jack_port_id_t b, int connect, void*) {
    static std::atomic<bool> told{false};
    if (connect == 0 || told) return;
    const jack_port_t* port = output;
    if (jack_port_by_id(client, a) != port && jack_port_by_id(client, b) != port) return;
    told = true;
    const char line[] = "connected\n";
    [[maybe_unused]] const auto written = ::write(1, line, sizeof line - 1);
}

bool parse(const std::string& line, Message& message) {
    std::istringstream words(line);
    std::string command;
    int first = 0, second = 0;
    words >> command >> first;
    if (!(words >> second)) second = command == "off" ? 64 : -1;
    if (first < 0 || first > 16383 || second > 127) return false;
    if (command == "bend") {
        message = {0xE0, static_cast<unsigned char>(first & 0x7F),
                   static_cast<unsigned char>(first >> 7)};
        return true;
    }
    if (command == "program" && first <= 127) {
        message = {0xC0, static_cast<unsigned char>(first), 0};
        return true;
    }
    if (first > 127 || second < 0) return false;
    const unsigned char status = command == "on"    ? 0x90
                                 : command == "off" ? 0x80
                                 : command == "cc"  ? 0xB0
                                                    : 0;
    if (status == 0) return false;
    message = {status, static_cast<unsigned char>(first), static_cast<unsigned char>(second)};
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const char* name = argc > 1 ? argv[1] : "TonvelKeyboard";
    client = jack_client_open(name, JackNoStartServer, nullptr);
    if (client == nullptr) {
        std::fprintf(stderr, "jack_keyboard: no JACK server\n");
        return 1;
    }
    ring = jack_ringbuffer_create(1 << 16);
    sentRing = jack_ringbuffer_create(1 << 20);
    FILE* sentLog = std::getenv("SENT_LOG") ? std::fopen(std::getenv("SENT_LOG"), "w") : nullptr;
    const auto writeSent = [&] {
        Sent sent;
        while (jack_ringbuffer_read_space(sentRing) >= sizeof sent) {
            jack_ringbuffer_read(sentRing, reinterpret_cast<char*>(&sent), sizeof sent);
            if (sentLog)
                std::fprintf(sentLog, "%u %02x %02x %02x\n", sent.frame, sent.bytes[0],
                             sent.bytes[1], sent.bytes[2]);
        }
        if (sentLog) std::fflush(sentLog);
    };
    output = jack_port_register(client, "midi_out", JACK_DEFAULT_MIDI_TYPE,
                                JackPortIsOutput | JackPortIsPhysical | JackPortIsTerminal, 0);
    if (output == nullptr || jack_set_process_callback(client, process, nullptr) != 0 ||
        jack_set_port_connect_callback(client, connected, nullptr) != 0 ||
        jack_activate(client) != 0) {
        std::fprintf(stderr, "jack_keyboard: could not register its port\n");
        return 1;
    }
    std::signal(SIGTERM, stop);
    std::signal(SIGINT, stop);
    std::printf("ready %s\n", jack_port_name(output));
    std::fflush(stdout);
    std::string line;
    while (running && std::getline(std::cin, line)) {
        Message message;
        if (!parse(line, message)) {
            std::fprintf(stderr, "jack_keyboard: not understood: %s\n", line.c_str());
            continue;
        }
        while (jack_ringbuffer_write_space(ring) < sizeof message)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        jack_ringbuffer_write(ring, reinterpret_cast<const char*>(message.data()), sizeof message);
        writeSent();
    }
    while (running && jack_ringbuffer_read_space(ring) > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    writeSent();
    if (sentLog) std::fclose(sentLog);
    jack_client_close(client);
    jack_ringbuffer_free(ring);
    return 0;
}
