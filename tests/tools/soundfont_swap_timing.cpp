// The built-in synthesizer while its SoundFont changes, timed from inside with real threads and
// FluidSynth: a thread sends notes as the sending thread does (a note every STEP_MS), a thread
// renders as an audio output does (256 frames at their own pace), both at real-time priority
// where allowed, and the main thread stands for the window, looking at the choice every 10 ms as
// its timer does. LOADS changes alternate between the two SoundFonts. Prints the longest send,
// render and window tick, the window's longest gap between looks, and how long the loads took.
// With --on-the-live-synth each SoundFont is instead loaded straight into the engine that plays
// (FluidSynth's sfload under its lock), for comparison.
//   tonvel_soundfont_swap_timing SOUNDFONT_A SOUNDFONT_B [LOADS] [STEP_MS] [--on-the-live-synth]
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "midi/realtime/realtime_thread.h"
#include "midi/synth/builtin_synth.h"
#include "midi/synth/soundfont_choice.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace tonvel;

double msBetween(Clock::time_point a, Clock::time_point b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

struct Longest {
    std::vector<double> all;
    void add(double ms) { all.push_back(ms); }
    double max() const { return all.empty() ? 0 : *std::max_element(all.begin(), all.end()); }
    double p99() {
        if (all.empty()) return 0;
        std::sort(all.begin(), all.end());
        return all[static_cast<size_t>(0.99 * static_cast<double>(all.size() - 1))];
    }
};

// Renders at the pace of a 256-frame period, as an audio driver's thread would.
class PacedOutput : public AudioOutput {
  public:
    explicit PacedOutput(Longest& renders) : renders_(renders) {}
    ~PacedOutput() override { stop(); }
    bool start(SoundSource& source) override {
        stop();
        quit_ = false;
        thread_ = std::thread([this, &source] {
            raiseToRealtime(currentThreadId(), 60);
            std::vector<float> left(256), right(256);
            const auto period = std::chrono::microseconds(256 * 1000000 / 48000);
            for (auto next = Clock::now(); !quit_; next += period) {
                std::this_thread::sleep_until(next);
                const auto t0 = Clock::now();
                source.render(256, left.data(), right.data());
                renders_.add(msBetween(t0, Clock::now()));
            }
        });
        return true;
    }
    void stop() override {
        quit_ = true;
        if (thread_.joinable()) thread_.join();
    }

  private:
    Longest& renders_;
    std::atomic<bool> quit_{false};
    std::thread thread_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s SOUNDFONT_A SOUNDFONT_B [LOADS] [STEP_MS] "
                     "[--on-the-live-synth]\n",
                     argv[0]);
        return 2;
    }
    const std::string fonts[] = {argv[1], argv[2]};
    const int loads = argc > 3 ? std::atoi(argv[3]) : 6;
    const int stepMs = argc > 4 ? std::atoi(argv[4]) : 20;
    const bool live = argc > 5 && std::strcmp(argv[5], "--on-the-live-synth") == 0;

    Longest sends, renders, ticks, gaps, loadTimes;
    BuiltinSynth synth({std::filesystem::path(fonts[0]).parent_path(),
                        {std::filesystem::path(fonts[0]).filename().string()}},
                       std::make_unique<PacedOutput>(renders));
    if (!synth.open()) {
        std::fprintf(stderr, "the first SoundFont did not load\n");
        return 1;
    }
    SoundFontChoice choice(synth, {});

    std::atomic<bool> quit{false};
    std::thread sender([&] {
        raiseToRealtime(currentThreadId(), 10);
        int note = 0;
        for (auto next = Clock::now(); !quit; next += std::chrono::milliseconds(stepMs)) {
            std::this_thread::sleep_until(next);
            const uint32_t off = 0x89u | static_cast<uint32_t>(36 + note) << 8;
            note = (note + 7) % 24;
            const uint32_t on = 0x99u | static_cast<uint32_t>(36 + note) << 8 | 100u << 16;
            for (const uint32_t message : {off, on}) {
                const auto t0 = Clock::now();
                // As the sending thread does: a busy engine is tried again, here at once.
                while (synth.trySend(message) == SendResult::Busy) {
                }
                sends.add(msBetween(t0, Clock::now()));
            }
        }
    });

    // The window: one look every 10 ms, as its timer ticks.
    const auto look = [&](Clock::time_point& last) {
        std::this_thread::sleep_until(last + std::chrono::milliseconds(10));
        const auto t0 = Clock::now();
        gaps.add(msBetween(last, t0));
        choice.tick();
        synth.collect();
        ticks.add(msBetween(t0, Clock::now()));
        last = t0;
    };
    auto last = Clock::now();
    for (int i = 0; i < 50; ++i) look(last);
    for (int i = 0; i < loads; ++i) {
        const std::string& font = fonts[(i + 1) % 2];
        const auto t0 = Clock::now();
        if (live) {
            fluid_synth_sfload(synth.engine()->synth(), font.c_str(), 1);
            loadTimes.add(msBetween(t0, Clock::now()));
            last = Clock::now();
        } else {
            choice.load(font);
            while (choice.busy()) look(last);
            loadTimes.add(msBetween(t0, Clock::now()));
        }
        // The engine taken over from rings out and is let go.
        for (int j = 0; j < 300; ++j) look(last);
    }
    quit = true;
    sender.join();
    synth.stopAudio();
    std::printf("mode %s, %d loads, a note every %d ms\n", live ? "on-the-live-synth" : "handover",
                loads, stepMs);
    std::printf("load ms: longest %.1f\n", loadTimes.max());
    std::printf("send ms: p99 %.3f longest %.3f (%zu sends)\n", sends.p99(), sends.max(),
                sends.all.size());
    std::printf("render ms: p99 %.3f longest %.3f (%zu renders)\n", renders.p99(), renders.max(),
                renders.all.size());
    std::printf("window tick ms: p99 %.3f longest %.3f; longest gap between looks %.1f ms\n",
                ticks.p99(), ticks.max(), gaps.max());
    return 0;
}
