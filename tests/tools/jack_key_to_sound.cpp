// Key to sound inside a JACK graph, with no recorder in the way: a client of the same server
// listens to the synthesizer's audio ports, presses a key through XTest (XSync: the X server has
// taken it), stamps the press with jack_get_time(), and stamps the first frame of the
// synthesizer's output over a threshold with jack_frames_to_time(): the time of the cycle the
// frame is in, and its place in it. Both are on the server's clock. A device plays that frame
// the playback latency JACK reports for the synthesizer's ports later; the tool prints it, and
// leaves it out. A cycle the machine runs late is still stamped with its own time, so on a busy
// machine a sound can seem to come before its key. Prints one line per press, then the median,
// the 90th percentile, the smallest and the largest, in milliseconds.
//   tonvel_jack_key_to_sound SOURCE_CLIENT KEYCODE PRESSES [THRESHOLD]
// SOURCE_CLIENT is the JACK client whose audio output ports are heard (every one of them).
// With STAMPS set, each line also gives both times, in microseconds on the server's clock.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kPorts = 2;

jack_client_t* client = nullptr;
jack_port_t* inputs[kPorts] = {};
float threshold = 0.003F;
std::atomic<bool> armed{false};
std::atomic<jack_time_t> onset{0};
// When a frame last went over the threshold: silence is a long time since.
std::atomic<jack_time_t> lastLoud{0};

int process(jack_nframes_t frames, void*) {
    const jack_nframes_t start = jack_last_frame_time(client);
    for (jack_port_t* port : inputs) {
        const auto* samples = static_cast<const float*>(jack_port_get_buffer(port, frames));
        for (jack_nframes_t i = 0; i < frames; ++i) {
            if (std::fabs(samples[i]) <= threshold) continue;
            const jack_time_t at = jack_frames_to_time(client, start + i);
            bool expected = true;
            if (armed.compare_exchange_strong(expected, false)) onset = at;
            lastLoud = jack_frames_to_time(client, start + frames);
            break;
        }
    }
    return 0;
}

bool connectTo(const std::string& source) {
    const char** ports =
        jack_get_ports(client, (source + ":").c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    if (ports == nullptr) return false;
    int connected = 0;
    for (int i = 0; ports[i] != nullptr && connected < kPorts; ++i) {
        // Only the client's own ports: the pattern also matches longer client names.
        if (std::string(ports[i]).rfind(source + ":", 0) != 0) continue;
        if (jack_connect(client, ports[i], jack_port_name(inputs[connected])) == 0) ++connected;
    }
    jack_free(ports);
    return connected > 0;
}

double percentile(const std::vector<double>& sorted, double p) {
    return sorted[static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5)];
}

void waitForSilence(std::chrono::milliseconds quiet) {
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < limit &&
           jack_get_time() - lastLoud.load() < static_cast<jack_time_t>(quiet.count()) * 1000)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SOURCE_CLIENT KEYCODE PRESSES [THRESHOLD]\n", argv[0]);
        return 2;
    }
    const std::string source = argv[1];
    const auto keycode = static_cast<unsigned>(std::atoi(argv[2]));
    const int presses = std::atoi(argv[3]);
    if (argc > 4) threshold = static_cast<float>(std::atof(argv[4]));
    client = jack_client_open("key-to-sound", JackNoStartServer, nullptr);
    if (client == nullptr) {
        std::fprintf(stderr, "jack_key_to_sound: no JACK server\n");
        return 1;
    }
    for (int i = 0; i < kPorts; ++i) {
        const std::string name = "in_" + std::to_string(i + 1);
        inputs[i] =
            jack_port_register(client, name.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    }
    if (jack_set_process_callback(client, process, nullptr) != 0 || jack_activate(client) != 0 ||
        !connectTo(source)) {
        std::fprintf(stderr, "jack_key_to_sound: cannot hear %s\n", source.c_str());
        return 1;
    }
    // The latencies are worked out again once the connections are made.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    jack_nframes_t playbackLatency = 0;
    if (const char** ports = jack_get_ports(client, (source + ":").c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                            JackPortIsOutput)) {
        for (int i = 0; ports[i] != nullptr; ++i) {
            jack_latency_range_t range{};
            jack_port_get_latency_range(jack_port_by_name(client, ports[i]), JackPlaybackLatency,
                                        &range);
            playbackLatency = std::max(playbackLatency, range.max);
        }
        jack_free(ports);
    }
    std::printf("playback latency of %s (not counted): %u frames\n", source.c_str(),
                playbackLatency);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "jack_key_to_sound: cannot open display\n");
        return 1;
    }
    std::vector<double> latencies;
    for (int i = 0; i < presses; ++i) {
        waitForSilence(std::chrono::milliseconds(300));
        onset = 0;
        armed = true;
        const jack_time_t pressed = jack_get_time();
        XTestFakeKeyEvent(display, keycode, True, 0);
        XSync(display, False);
        const auto limit = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
        while (onset.load() == 0 && std::chrono::steady_clock::now() < limit)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        // Held a little, at a time that falls anywhere in a period.
        std::this_thread::sleep_for(std::chrono::milliseconds(80 + (i * 37) % 50));
        XTestFakeKeyEvent(display, keycode, False, 0);
        XSync(display, False);
        armed = false;
        const jack_time_t heard = onset.load();
        if (heard == 0) {
            std::printf("press %d: no sound\n", i + 1);
            continue;
        }
        const double ms = static_cast<double>(static_cast<int64_t>(heard - pressed)) / 1000.0;
        if (std::getenv("STAMPS") != nullptr)
            std::printf("press %d: %.3f ms (pressed %llu, heard %llu)\n", i + 1, ms,
                        static_cast<unsigned long long>(pressed),
                        static_cast<unsigned long long>(heard));
        else
            std::printf("press %d: %.3f ms\n", i + 1, ms);
        latencies.push_back(ms);
    }
    XCloseDisplay(display);
    jack_client_close(client);
    if (latencies.empty()) return 1;
    std::sort(latencies.begin(), latencies.end());
    std::printf(
        "median %.2f ms, p90 %.2f ms, min %.2f ms, max %.2f ms, %zu of %d presses sounded\n",
        percentile(latencies, 0.5), percentile(latencies, 0.9), latencies.front(), latencies.back(),
        latencies.size(), presses);
    return 0;
}
