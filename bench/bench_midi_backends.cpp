// The built-in synthesizer and the system MIDI ports: load time, memory, reopening,
// message cost and output levels. The live benchmarks need a sound server (a user
// PulseAudio will do) and skip themselves without one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "midi/ports/platform_midi_system.h"
#include "midi/sender/scheduled_midi_system.h"
#include "midi/synth/audio_output_chain.h"
#include "midi/synth/synth_gain.h"

namespace tonvel {
namespace {

const std::filesystem::path kSoundFonts = "/usr/share/sounds/sf2";

double residentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0.0;
}

// With samplesOnDemand false, every sample is read with the SoundFont: the reference the
// figures of the program's own way are set against.
std::unique_ptr<SynthEngine> engineFor(const std::string& file, bool samplesOnDemand = true) {
    const auto path = kSoundFonts / file;
    SynthConfig config;
    config.gain = synthGainFor(path);
    config.samplesOnDemand = samplesOnDemand;
    return SynthEngine::create(path, config);
}

double percentileOf(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

class NoAudio : public AudioOutput {
  public:
    bool start(SoundSource&) override { return true; }
    void stop() override {}
};

void BM_SynthMemory(benchmark::State& state, const std::string& file, bool onDemand) {
    for (auto _ : state) {
        const double before = residentMegabytes();
        auto engine = engineFor(file, onDemand);
        if (!engine) {
            state.SkipWithError("SoundFont not installed");
            return;
        }
        const double after = residentMegabytes();
        state.counters["rss_MB"] = after;
        state.counters["added_MB"] = after - before;
    }
}
BENCHMARK_CAPTURE(BM_SynthMemory, TimGM6mb, std::string("TimGM6mb.sf2"), true)->Iterations(1);
BENCHMARK_CAPTURE(BM_SynthMemory, FluidR3_GM, std::string("FluidR3_GM.sf2"), true)->Iterations(1);
BENCHMARK_CAPTURE(BM_SynthMemory, FluidR3_GM_UpFront, std::string("FluidR3_GM.sf2"), false)
    ->Iterations(1);

void BM_SoundFontLoad(benchmark::State& state, const std::string& file, bool onDemand) {
    for (auto _ : state) {
        auto engine = engineFor(file, onDemand);
        if (!engine) {
            state.SkipWithError("SoundFont not installed");
            return;
        }
        benchmark::DoNotOptimize(engine.get());
    }
}
BENCHMARK_CAPTURE(BM_SoundFontLoad, TimGM6mb, std::string("TimGM6mb.sf2"), true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_SoundFontLoad, FluidR3_GM, std::string("FluidR3_GM.sf2"), true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(BM_SoundFontLoad, FluidR3_GM_UpFront, std::string("FluidR3_GM.sf2"), false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// What an instrument change adds before its first note sounds, on top of the audio path: the
// program change (which reads the program's samples when they are read on demand), the note-on
// and the first block rendered, for each of the programs 1..127 in turn.
void BM_FirstNoteAfterProgramChange(benchmark::State& state, const std::string& file,
                                    bool onDemand) {
    auto engine = engineFor(file, onDemand);
    if (!engine) {
        state.SkipWithError("SoundFont not installed");
        return;
    }
    std::vector<double> waits;
    for (auto _ : state) {
        for (int program = 1; program < 128; ++program) {
            const auto start = std::chrono::steady_clock::now();
            engine->play(0xC0 + program * 0x100);
            engine->play(0x640090 + 60 * 0x100);
            benchmark::DoNotOptimize(engine->renderInterleaved(64));
            const std::chrono::duration<double, std::milli> wait =
                std::chrono::steady_clock::now() - start;
            waits.push_back(wait.count());
            engine->play(0x80 + 60 * 0x100);
            engine->renderInterleaved(4800);
        }
        state.SetIterationTime(1e-3 * percentileOf(waits, 0.5));
    }
    state.counters["median_ms"] = percentileOf(waits, 0.5);
    state.counters["p90_ms"] = percentileOf(waits, 0.9);
    state.counters["max_ms"] = percentileOf(waits, 1.0);
}
BENCHMARK_CAPTURE(BM_FirstNoteAfterProgramChange, FluidR3_GM, std::string("FluidR3_GM.sf2"), true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_FirstNoteAfterProgramChange, FluidR3_GM_UpFront, std::string("FluidR3_GM.sf2"),
                  false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_FirstNoteAfterProgramChange, TimGM6mb, std::string("TimGM6mb.sf2"), true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseManualTime();

// Peak level, in dBFS, of a piano middle C and of the loudest ten-note chord with
// drums, all at velocity 127, with the gain chosen for the SoundFont.
void BM_PeakLevel(benchmark::State& state, const std::string& file) {
    auto peakDbfs = [&](const std::vector<std::pair<int, int>>& notes) {
        auto engine = engineFor(file);
        for (auto [channel, note] : notes) engine->play(0x7F0090 + channel + note * 0x100);
        const auto samples = engine->renderInterleaved(96000);
        float peak = 0.0F;
        for (float s : samples) peak = std::max(peak, std::fabs(s));
        return 20.0 * std::log10(peak);
    };
    if (!std::filesystem::exists(kSoundFonts / file)) {
        state.SkipWithError("SoundFont not installed");
        return;
    }
    const std::vector<std::vector<int>> chords = {{36, 43, 48, 52, 55, 60, 64, 67, 72, 76},
                                                  {60, 61, 62, 63, 64, 65, 66, 67, 68, 69},
                                                  {72, 76, 79, 84, 88, 91, 96, 100, 103, 108}};
    for (auto _ : state) {
        state.counters["gain"] = synthGainFor(kSoundFonts / file);
        state.counters["single_dBFS"] = peakDbfs({{0, 60}});
        double loudest = -120.0;
        for (const auto& chord : chords) {
            std::vector<std::pair<int, int>> notes;
            for (int note : chord) notes.emplace_back(0, note);
            for (int drum : {36, 38, 42, 49}) notes.emplace_back(9, drum);
            const double level = peakDbfs(notes);
            if (&chord == &chords.front()) state.counters["chord_dBFS"] = level;
            loudest = std::max(loudest, level);
        }
        state.counters["loudest_chord_dBFS"] = loudest;
    }
}
BENCHMARK_CAPTURE(BM_PeakLevel, TimGM6mb, std::string("TimGM6mb.sf2"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_PeakLevel, FluidR3_GM, std::string("FluidR3_GM.sf2"))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// Close and reopen of the built-in synthesizer with real audio output and the instrument sent
// again (Rock Organ, the first bank's), as a refresh does it, after the stream has played for
// settle_ms. The reopening resets the synthesizer, so the instrument's samples are read again. A
// PulseAudio null sink holds a new stream's first write for up to two seconds (it has run ahead
// while idle), and a close in that window waits for it: settle_ms 200 shows that case.
void BM_SynthReopen(benchmark::State& state) {
    const auto settle = std::chrono::milliseconds(state.range(0));
    auto output = AudioOutputChain::systemDefault({});
    AudioOutputChain* audio = output.get();
    BuiltinSynth synth(SoundFontSearch::systemDefault(), std::move(output));
    if (!synth.open()) {
        state.SkipWithError("no audio output could be opened (no sound server?)");
        return;
    }
    state.SetLabel(audio->status().driver);
    std::vector<double> roundTrips;
    for (auto _ : state) {
        std::this_thread::sleep_for(settle);
        const auto start = std::chrono::steady_clock::now();
        synth.close();
        const bool reopened = synth.open();
        for (uint32_t message : {0x00B0U, 0x20B0U, 0x12C0U}) synth.send(message);
        const auto end = std::chrono::steady_clock::now();
        if (!reopened) {
            state.SkipWithError("reopening failed");
            return;
        }
        const std::chrono::duration<double> elapsed = end - start;
        state.SetIterationTime(elapsed.count());
        roundTrips.push_back(elapsed.count() * 1000.0);
    }
    std::sort(roundTrips.begin(), roundTrips.end());
    state.counters["median_ms"] = roundTrips[roundTrips.size() / 2];
    state.counters["max_ms"] = roundTrips.back();
}
BENCHMARK(BM_SynthReopen)
    ->ArgName("settle_ms")
    ->Arg(2500)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseManualTime();

// One note-on into the synthesizer through the MidiSystem interface, no audio thread.
void BM_SendNoteOnOffline(benchmark::State& state) {
    PlatformMidiSystem midi(
        std::make_unique<BuiltinSynth>(SoundFontSearch{kSoundFonts, {"TimGM6mb.sf2"}},
                                       std::make_unique<NoAudio>()),
        std::make_unique<SystemMidiPorts>());
    if (!midi.open(-1)) {
        state.SkipWithError("TimGM6mb.sf2 not installed");
        return;
    }
    uint32_t count = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(midi.sendShortMessage(0x640090 + (36 + count % 48) * 0x100));
        // Clear the voices now and then, as the audio thread would by playing them out.
        if (++count % 64 == 0) {
            state.PauseTiming();
            midi.builtinSynth().engine()->silence();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(BM_SendNoteOnOffline);

// Listing ports where neither an ALSA sequencer nor a JACK server answers.
void BM_OutputNamesWithoutServers(benchmark::State& state) {
    const char* server = std::getenv("JACK_DEFAULT_SERVER");
    const std::string saved = server != nullptr ? server : "";
    setenv("JACK_DEFAULT_SERVER", "tonvel-bench-no-such-server", 1);
    PlatformMidiSystem midi;
    for (auto _ : state) benchmark::DoNotOptimize(midi.outputNames());
    if (server != nullptr) {
        setenv("JACK_DEFAULT_SERVER", saved.c_str(), 1);
    } else {
        unsetenv("JACK_DEFAULT_SERVER");
    }
}
BENCHMARK(BM_OutputNamesWithoutServers)->Unit(benchmark::kMicrosecond);

// An output that takes everything and does nothing, to time the hand-over alone.
class NullMidiSystem : public MidiSystem {
  public:
    std::vector<std::string> outputNames() override { return {}; }
    bool open(int) override { return true; }
    void close() override {}
    bool sendShortMessage(uint32_t) override { return true; }
};

// A message handed to the sending thread until it has left: the window's cost and the
// latency a key gains by going through the thread.
void BM_HandOverToTheSendingThread(benchmark::State& state) {
    NullMidiSystem output;
    ScheduledMidiSystem scheduled(output);
    scheduled.open(0);
    for (auto _ : state) {
        scheduled.sendShortMessage(0x640090);
        // Listing waits for the thread to have done everything handed over before.
        benchmark::DoNotOptimize(scheduled.outputNames());
    }
}
BENCHMARK(BM_HandOverToTheSendingThread)->Unit(benchmark::kMicrosecond);

// The thread's own work per message, a burst of `range` at a time, without the wake-up.
void BM_SendingThreadBurst(benchmark::State& state) {
    NullMidiSystem output;
    ScheduledMidiSystem scheduled(output, false);
    scheduled.open(0);
    const int rhythm = 0;
    const auto later = std::chrono::steady_clock::now() + std::chrono::hours(1);
    for (auto _ : state) {
        scheduled.beginTimed(later, &rhythm);
        for (int64_t i = 0; i < state.range(0); ++i)
            scheduled.sendShortMessage(0x640090 + static_cast<uint32_t>(i % 128) * 0x100);
        scheduled.endTimed();
        scheduled.sendDue(later);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SendingThreadBurst)->Arg(16)->Arg(6000);

}  // namespace
}  // namespace tonvel
