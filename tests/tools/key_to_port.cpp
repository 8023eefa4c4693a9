// Key-to-port latency, measured from outside the program: presses a key through XTest and
// finds its note-on in what tonvel_jack_receiver writes (one line per event: frame,
// microseconds on the system clock, bytes). The receiver's microseconds are the time of the
// JACK cycle the event was delivered in, on JACK's clock, which is the kernel's raw monotonic
// clock (not slewed by time adjustments, so it drifts from the ordinary one by up to a few
// milliseconds an hour): the key press is timed on the same. Prints the median, the 90th
// percentile and the maximum.
//   tonvel_key_to_port RECEIVED_LOG KEYCODE PRESSES
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// The first note-on after line `from`, as microseconds; waits for it up to a second.
std::optional<long long> noteOnAfter(const char* log, size_t from) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::ifstream in(log);
        std::string line;
        for (size_t i = 0; std::getline(in, line); ++i) {
            if (i < from) continue;
            std::istringstream fields(line);
            unsigned long frame = 0;
            long long microseconds = 0;
            std::string status, velocity, note;
            fields >> frame >> microseconds >> status >> note >> velocity;
            if (status.size() == 2 && status[0] == '9' && velocity != "00") return microseconds;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::nullopt;
}

long long rawMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
}

size_t linesIn(const char* log) {
    std::ifstream in(log);
    return static_cast<size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
}

double percentile(const std::vector<double>& sorted, double p) {
    return sorted[static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5)];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s RECEIVED_LOG KEYCODE PRESSES\n", argv[0]);
        return 2;
    }
    const char* log = argv[1];
    const auto keycode = static_cast<unsigned>(std::atoi(argv[2]));
    const int presses = std::atoi(argv[3]);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "cannot open display\n");
        return 1;
    }
    std::vector<double> latencies;
    for (int i = 0; i < presses; ++i) {
        const size_t from = linesIn(log);
        const long long pressedUs = rawMicroseconds();
        XTestFakeKeyEvent(display, keycode, True, 0);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        XTestFakeKeyEvent(display, keycode, False, 0);
        XFlush(display);
        const auto arrived = noteOnAfter(log, from);
        if (!arrived) {
            std::printf("press: nothing arrived\n");
            continue;
        }
        latencies.push_back(static_cast<double>(*arrived - pressedUs) / 1000.0);
        std::this_thread::sleep_for(std::chrono::milliseconds(90 + (i * 37) % 60));
    }
    XCloseDisplay(display);
    if (latencies.empty()) return 1;
    std::sort(latencies.begin(), latencies.end());
    std::printf("median %.2f ms, p90 %.2f ms, max %.2f ms, %zu of %d presses arrived\n",
                percentile(latencies, 0.5), percentile(latencies, 0.9), latencies.back(),
                latencies.size(), presses);
    return 0;
}
