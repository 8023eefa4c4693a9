// Key-to-sound latency, measured from outside the program: records the PulseAudio
// monitor of the sink the piano plays into, presses a key through XTest, and finds the
// sound's onset in the recording. Prints one latency per press, the median and the 90th
// percentile. With "click" for the key code, no key is pressed: a click is written straight to
// the default sink through a stream of 64-frame buffering instead, the reference for the
// shortest way a sound can take through the server. With "pwclick", the click is written by a
// PipeWire stream of the server's own, in its cycle at whatever quantum the graph runs: where
// the server is PipeWire, the shortest way of all (its PulseAudio side keeps 256 frames of
// buffer for every client). "KEYCODE+click" or "KEYCODE+pwclick" alternates presses and clicks
// in one recording, and prints the clicks' figures too and the key's over the click's median:
// the recording's own delay, which the server reports only roughly, then drops out.
//   tonvel_key_latency SOURCE KEYCODE|click|pwclick|KEYCODE+CLICK PRESSES [THRESHOLD]
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <pipewire/pipewire.h>
#include <pulse/error.h>
#include <pulse/simple.h>
#include <spa/param/audio/format-utils.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 48000;
constexpr size_t kChunkFrames = 48;  // 1 ms

struct Chunk {
    size_t firstFrame;
    Clock::time_point arrived;
};

class Clicker {
  public:
    virtual ~Clicker() = default;
    virtual bool ok() const = 0;
    virtual bool settle(int flushAt = 20) = 0;
    // The time the click left for the server.
    virtual Clock::time_point click() = 0;
};

// Keeps a playback stream fed with silence, so that it runs at its shortest buffering, and
// writes a loud click in place of the silence when asked.
class ClickWriter : public Clicker {
  public:
    ClickWriter() {
        pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, 1};
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = kFrames * sizeof(float) * 2;
        attr.prebuf = static_cast<uint32_t>(-1);
        attr.minreq = static_cast<uint32_t>(-1);
        int error = 0;
        stream_ = pa_simple_new(nullptr, "tonvel-latency", PA_STREAM_PLAYBACK, nullptr,
                                "reference click", &format, nullptr, &attr, &error);
        if (stream_) thread_ = std::thread([this] { run(); });
    }
    ~ClickWriter() override {
        running_ = false;
        if (thread_.joinable()) thread_.join();
        if (stream_) pa_simple_free(stream_);
    }
    bool ok() const override { return stream_ != nullptr; }
    // A new stream on an idle null sink can start with most of a second queued ahead of it:
    // waits until that has played, dropping it if it does not go.
    bool settle(int flushAt = 20) override {
        int error = 0;
        for (int attempt = 0; attempt < 60; ++attempt) {
            if (pa_simple_get_latency(stream_, &error) < 20000) return true;
            if (attempt == flushAt) pa_simple_flush(stream_, &error);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    // The time the click left for the server. A queue the stream built up since the last click
    // is dropped first, so that every click measures the shortest way.
    Clock::time_point click() override {
        settle(0);
        wanted_ = true;
        while (wanted_) std::this_thread::sleep_for(std::chrono::microseconds(100));
        return sent_;
    }

  private:
    static constexpr size_t kFrames = 32;
    void run() {
        std::vector<float> silence(kFrames, 0.0F), loud(kFrames, 0.9F);
        int error = 0;
        while (running_) {
            const bool click = wanted_;
            if (click) sent_ = Clock::now();
            const auto& chunk = click ? loud : silence;
            if (pa_simple_write(stream_, chunk.data(), chunk.size() * sizeof(float), &error) < 0)
                break;
            if (click) wanted_ = false;
        }
    }
    pa_simple* stream_ = nullptr;
    std::thread thread_;
    std::atomic<bool> running_{true};
    std::atomic<bool> wanted_{false};
    Clock::time_point sent_;
};

// A PipeWire stream that writes silence in each of the server's cycles, and a click in place
// of it when asked. It asks for the longest latency, so the graph keeps the quantum that the
// program under measure set.
class PipeWireClickWriter : public Clicker {
  public:
    PipeWireClickWriter() {
        pw_init(nullptr, nullptr);
        loop_ = pw_thread_loop_new("click", nullptr);
        pw_stream_events events{};
        events.version = PW_VERSION_STREAM_EVENTS;
        events.process = [](void* self) { static_cast<PipeWireClickWriter*>(self)->process(); };
        events_ = events;
        stream_ = pw_stream_new_simple(
            pw_thread_loop_get_loop(loop_), "reference click",
            pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback",
                              PW_KEY_NODE_LATENCY, "8192/48000", nullptr),
            &events_, this);
        uint8_t pod[512];
        spa_pod_builder builder = SPA_POD_BUILDER_INIT(pod, sizeof(pod));
        spa_audio_info_raw format{};
        format.format = SPA_AUDIO_FORMAT_F32;
        format.rate = kRate;
        format.channels = 1;
        format.position[0] = SPA_AUDIO_CHANNEL_MONO;
        const spa_pod* params[1] = {
            spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &format)};
        pw_thread_loop_lock(loop_);
        ok_ = pw_stream_connect(stream_, PW_DIRECTION_OUTPUT, PW_ID_ANY,
                                static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT |
                                                             PW_STREAM_FLAG_MAP_BUFFERS |
                                                             PW_STREAM_FLAG_RT_PROCESS),
                                params, 1) == 0;
        pw_thread_loop_unlock(loop_);
        pw_thread_loop_start(loop_);
    }
    ~PipeWireClickWriter() override {
        pw_thread_loop_stop(loop_);
        pw_stream_destroy(stream_);
        pw_thread_loop_destroy(loop_);
    }
    bool ok() const override { return ok_; }
    bool settle(int) override {
        for (int attempt = 0; attempt < 50 && cycles_ < 10; ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return cycles_ >= 10;
    }
    Clock::time_point click() override {
        wanted_ = true;
        while (wanted_) std::this_thread::sleep_for(std::chrono::microseconds(100));
        return sent_;
    }

  private:
    void process() {
        pw_buffer* buffer = pw_stream_dequeue_buffer(stream_);
        if (buffer == nullptr) return;
        spa_data& data = buffer->buffer->datas[0];
        if (auto* out = static_cast<float*>(data.data)) {
            uint32_t frames = data.maxsize / sizeof(float);
            if (buffer->requested != 0) frames = std::min<uint32_t>(frames, buffer->requested);
            const bool click = wanted_;
            if (click) sent_ = Clock::now();
            std::fill(out, out + frames, click ? 0.9F : 0.0F);
            data.chunk->offset = 0;
            data.chunk->stride = sizeof(float);
            data.chunk->size = frames * sizeof(float);
            if (click) wanted_ = false;
        }
        pw_stream_queue_buffer(stream_, buffer);
        ++cycles_;
    }
    pw_thread_loop* loop_ = nullptr;
    pw_stream* stream_ = nullptr;
    pw_stream_events events_{};
    bool ok_ = false;
    std::atomic<int> cycles_{0};
    std::atomic<bool> wanted_{false};
    Clock::time_point sent_;
};

double percentile(const std::vector<double>& sorted, double p) {
    return sorted[static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5)];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s SOURCE KEYCODE PRESSES [THRESHOLD]\n", argv[0]);
        return 2;
    }
    const char* source = argv[1];
    const std::string what = argv[2];
    const size_t plus = what.find('+');
    const std::string clickKind = plus == std::string::npos ? what : what.substr(plus + 1);
    const bool pipewireClicks = clickKind == "pwclick";
    const bool clicks = clickKind == "click" || pipewireClicks;
    const bool keys = !clicks || plus != std::string::npos;
    const unsigned keycode = static_cast<unsigned>(std::atoi(what.c_str()));
    const int presses = std::atoi(argv[3]);
    const float threshold = argc > 4 ? std::strtof(argv[4], nullptr) : 0.01f;

    pa_sample_spec format{PA_SAMPLE_FLOAT32LE, kRate, 1};
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = kChunkFrames * sizeof(float);
    int error = 0;
    pa_simple* record = pa_simple_new(nullptr, "tonvel-latency", PA_STREAM_RECORD, source,
                                      "monitor", &format, nullptr, &attr, &error);
    if (!record) {
        std::fprintf(stderr, "cannot record %s: %s\n", source, pa_strerror(error));
        return 1;
    }
    std::unique_ptr<Clicker> clicker;
    if (clicks) {
        if (pipewireClicks)
            clicker = std::make_unique<PipeWireClickWriter>();
        else
            clicker = std::make_unique<ClickWriter>();
        if (!clicker->ok()) {
            std::fprintf(stderr, "cannot write to the default sink\n");
            return 1;
        }
    }
    Display* display = keys ? XOpenDisplay(nullptr) : nullptr;
    if (keys && !display) {
        std::fprintf(stderr, "cannot open display\n");
        return 1;
    }

    std::vector<float> samples;
    std::vector<Chunk> chunks;
    std::mutex lock;
    std::atomic<bool> running{true};
    std::thread reader([&] {
        std::vector<float> buffer(kChunkFrames);
        while (running) {
            if (pa_simple_read(record, buffer.data(), buffer.size() * sizeof(float), &error) < 0)
                break;
            const auto now = Clock::now();
            std::lock_guard<std::mutex> guard(lock);
            chunks.push_back({samples.size(), now});
            samples.insert(samples.end(), buffer.begin(), buffer.end());
        }
    });

    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    if (clicker && !clicker->settle()) {
        std::fprintf(stderr, "the reference stream keeps a long delay\n");
        return 1;
    }
    std::vector<Clock::time_point> pressed;
    std::vector<bool> clicked;  // per event: a click, or a key press
    for (int i = 0; i < presses; ++i) {
        const bool click = clicks && (!keys || i % 2 == 1);
        clicked.push_back(click);
        if (click) {
            pressed.push_back(clicker->click());
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        } else {
            pressed.push_back(Clock::now());
            XTestFakeKeyEvent(display, keycode, True, 0);
            XFlush(display);
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
            XTestFakeKeyEvent(display, keycode, False, 0);
            XFlush(display);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(550 + (i * 37) % 60));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    running = false;
    reader.join();
    const pa_usec_t sourceLatency = pa_simple_get_latency(record, &error);
    pa_simple_free(record);
    clicker.reset();
    if (display) XCloseDisplay(display);

    // The time a frame was captured: its chunk's arrival, less the frames after it in
    // that chunk, less what the source still held.
    const auto frameTime = [&](size_t frame) {
        auto it = std::upper_bound(chunks.begin(), chunks.end(), frame,
                                   [](size_t f, const Chunk& c) { return f < c.firstFrame; });
        const Chunk& chunk = *(it - 1);
        const double after = static_cast<double>(chunk.firstFrame + kChunkFrames - frame) / kRate;
        return chunk.arrived - std::chrono::duration_cast<Clock::duration>(
                                   std::chrono::duration<double>(after + sourceLatency / 1e6));
    };

    // The recording's delay is known only roughly, so an onset is looked for from a little
    // before its cause: a sound found "early" is that error, not the next press's sound.
    const auto lookBack = std::chrono::milliseconds(30);
    std::vector<double> latencies, clickLatencies;
    size_t frame = 0;
    for (size_t i = 0; i < pressed.size(); ++i) {
        const auto when = pressed[i];
        while (frame < samples.size() && frameTime(frame) < when - lookBack) ++frame;
        size_t onset = frame;
        while (onset < samples.size() && std::fabs(samples[onset]) < threshold) ++onset;
        if (onset >= samples.size()) {
            std::printf("%s: no sound\n", clicked[i] ? "click" : "press");
            continue;
        }
        const double ms =
            std::chrono::duration<double, std::milli>(frameTime(onset) - when).count();
        (clicked[i] && keys ? clickLatencies : latencies).push_back(ms);
        std::printf("%s: %.1f ms\n", clicked[i] ? "click" : "press", ms);
        frame = onset + kRate / 4;
    }
    if (latencies.empty()) return 1;
    std::sort(latencies.begin(), latencies.end());
    const int expected = keys && clicks ? (presses + 1) / 2 : presses;
    std::printf(
        "median %.1f ms, p90 %.1f ms, min %.1f ms, max %.1f ms, %zu of %d presses sounded\n",
        percentile(latencies, 0.5), percentile(latencies, 0.9), latencies.front(), latencies.back(),
        latencies.size(), expected);
    if (clickLatencies.empty()) return 0;
    std::sort(clickLatencies.begin(), clickLatencies.end());
    const double click = percentile(clickLatencies, 0.5);
    std::printf("click median %.1f ms, p90 %.1f ms, min %.1f ms, max %.1f ms, %zu of %d\n", click,
                percentile(clickLatencies, 0.9), clickLatencies.front(), clickLatencies.back(),
                clickLatencies.size(), presses / 2);
    std::printf("over the click median %.1f ms, p90 %.1f ms\n", percentile(latencies, 0.5) - click,
                percentile(latencies, 0.9) - click);
    return 0;
}
