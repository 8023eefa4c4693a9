// The rhythm as it sounds, inside a JACK graph: listens to a synthesizer's audio ports for
// SECONDS and finds each drum hit's onset, a cycle whose peak is more than twice the loudest of
// the 8 cycles before it and comes 30 ms or more after the last onset, then
// reports how far the onsets fall from the best-placed grid of STEP_MS, on the server's clock
// (jack_frames_to_time). Steps the pattern leaves silent do not count: each onset is measured
// against the grid point nearest to it.
//   tonvel_jack_onsets SOURCE_CLIENT STEP_MS SECONDS [FLOOR]
// Prints the number of onsets, then the deviation's median, 90th and 99th percentile and
// maximum in milliseconds, and how many onsets were more than 2 ms off.
#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <algorithm>
#include <array>
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
jack_ringbuffer_t* onsets = nullptr;
float floorLevel = 0.02F;
std::array<float, 8> recent{};  // the peaks of the last cycles
size_t next = 0;
jack_time_t lastOnset = 0;

int process(jack_nframes_t frames, void*) {
    float peak = 0;
    for (jack_port_t* port : inputs) {
        const auto* samples = static_cast<const float*>(jack_port_get_buffer(port, frames));
        for (jack_nframes_t i = 0; i < frames; ++i) peak = std::max(peak, std::fabs(samples[i]));
    }
    const jack_time_t at = jack_frames_to_time(client, jack_last_frame_time(client));
    if (peak > floorLevel && peak > 2.0F * *std::max_element(recent.begin(), recent.end()) &&
        at - lastOnset > 30'000) {
        lastOnset = at;
        if (jack_ringbuffer_write_space(onsets) >= sizeof at)
            jack_ringbuffer_write(onsets, reinterpret_cast<const char*>(&at), sizeof at);
    }
    recent[next++ % recent.size()] = peak;
    return 0;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SOURCE_CLIENT STEP_MS SECONDS [FLOOR]\n", argv[0]);
        return 2;
    }
    const std::string source = argv[1];
    const double step = std::atof(argv[2]) * 1000.0;  // microseconds
    const int seconds = std::atoi(argv[3]);
    if (argc > 4) floorLevel = static_cast<float>(std::atof(argv[4]));
    client = jack_client_open("onsets", JackNoStartServer, nullptr);
    if (client == nullptr) {
        std::fprintf(stderr, "jack_onsets: no JACK server\n");
        return 1;
    }
    onsets = jack_ringbuffer_create(1 << 16);
    for (int i = 0; i < kPorts; ++i) {
        const std::string name = "in_" + std::to_string(i + 1);
        inputs[i] =
            jack_port_register(client, name.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    }
    if (jack_set_process_callback(client, process, nullptr) != 0 || jack_activate(client) != 0) {
        std::fprintf(stderr, "jack_onsets: cannot start\n");
        return 1;
    }
    int connected = 0;
    if (const char** ports = jack_get_ports(client, (source + ":").c_str(), JACK_DEFAULT_AUDIO_TYPE,
                                            JackPortIsOutput)) {
        for (int i = 0; ports[i] != nullptr && connected < kPorts; ++i)
            if (std::string(ports[i]).rfind(source + ":", 0) == 0 &&
                jack_connect(client, ports[i], jack_port_name(inputs[connected])) == 0)
                ++connected;
        jack_free(ports);
    }
    if (connected == 0) {
        std::fprintf(stderr, "jack_onsets: cannot hear %s\n", source.c_str());
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    jack_deactivate(client);
    std::vector<double> times;
    jack_time_t at = 0;
    while (jack_ringbuffer_read(onsets, reinterpret_cast<char*>(&at), sizeof at) == sizeof at)
        times.push_back(static_cast<double>(at - jack_time_t{0}));
    jack_client_close(client);
    if (times.size() < 3) {
        std::printf("onsets %zu: too few to measure\n", times.size());
        return 1;
    }
    // The grid's place: the phase on which most onsets fall, found as the circular median.
    const double origin = times.front();
    const auto offset = [&](double t, double phase) {
        double d = std::fmod(t - origin - phase, step);
        if (d > step / 2) d -= step;
        if (d < -step / 2) d += step;
        return d;
    };
    double phase = 0;
    for (int round = 0; round < 3; ++round) {
        std::vector<double> offsets;
        for (double t : times) offsets.push_back(offset(t, phase));
        phase += percentile(offsets, 0.5);
    }
    std::vector<double> deviations;
    int off = 0;
    for (double t : times) {
        const double d = std::fabs(offset(t, phase)) / 1000.0;
        deviations.push_back(d);
        if (d > 2.0) ++off;
    }
    std::printf(
        "onsets %zu  deviation from the grid: median %.2f  p90 %.2f  p99 %.2f  max %.2f ms  "
        "more than 2 ms off: %d\n",
        times.size(), percentile(deviations, 0.5), percentile(deviations, 0.9),
        percentile(deviations, 0.99), *std::max_element(deviations.begin(), deviations.end()), off);
    return 0;
}
