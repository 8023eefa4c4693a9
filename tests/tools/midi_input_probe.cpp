// Our MIDI input as the window would use it, printing what comes in, one line each, with the
// milliseconds since it started:
//   <ms> source <name> hardware|software connected|free
//   <ms> connect <name> ok|failed      (every hardware source not connected yet, at once)
//   <ms> message <id> <packed message in hex>
//   <ms> gone <id>
// It ends on SIGTERM or SIGINT, or after SECONDS.
//   tonvel_midi_input_probe [SECONDS]
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "midi/input/platform_midi_input.h"

namespace {

volatile std::sig_atomic_t running = 1;

void stop(int) {
    running = 0;
}

}  // namespace

int main(int argc, char** argv) {
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const double seconds = argc > 1 ? std::atof(argv[1]) : 1e9;
    const auto ms = [&] {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    };
    std::signal(SIGTERM, stop);
    std::signal(SIGINT, stop);
    tonvel::PlatformMidiInput input;
    const auto look = [&] {
        for (const auto& source : input.sources()) {
            std::printf("%.1f source %s %s %s\n", ms(), source.name.c_str(),
                        source.hardware ? "hardware" : "software",
                        source.connected ? "connected" : "free");
            if (source.hardware && !source.connected)
                std::printf("%.1f connect %s %s\n", ms(), source.name.c_str(),
                            input.connect(source.name, true) ? "ok" : "failed");
        }
        std::fflush(stdout);
    };
    look();
    std::vector<tonvel::MidiInputEvent> events;
    pollfd fd{input.eventDescriptor(), POLLIN, 0};
    while (running && ms() < seconds * 1000) {
        if (::poll(&fd, 1, 100) <= 0) continue;
        uint64_t count;
        [[maybe_unused]] const auto read = ::read(fd.fd, &count, sizeof count);
        events.clear();
        input.poll(events);
        bool changed = false;
        for (const auto& event : events) {
            switch (event.kind) {
                case tonvel::MidiInputEvent::Kind::Message:
                    std::printf("%.1f message %u %06x\n", ms(), event.source, event.message);
                    break;
                case tonvel::MidiInputEvent::Kind::SourceGone:
                    std::printf("%.1f gone %u\n", ms(), event.source);
                    break;
                case tonvel::MidiInputEvent::Kind::SourcesChanged:
                    changed = true;
                    break;
            }
        }
        std::fflush(stdout);
        if (changed) look();
    }
    return 0;
}
