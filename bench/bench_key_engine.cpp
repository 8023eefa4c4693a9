// Cost of a key press and release through the main window's handlers, up to the
// message handed to the MIDI port.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "fakes/recording_services.h"
#include "resources/default_files.h"
#include "shell/frm_piano.h"

namespace {

class NullMidi : public tonvel::MidiSystem {
  public:
    std::vector<std::string> outputNames() override { return {}; }
    bool open(int) override { return true; }
    void close() override {}
    bool sendShortMessage(uint32_t message) override {
        benchmark::DoNotOptimize(message);
        ++sent;
        return true;
    }
    int64_t sent = 0;
};

struct Window {
    Window() : dir(std::filesystem::temp_directory_path() / "tonvel-bench-keys") {
        std::filesystem::create_directories(dir);
        tonvel::extractDefaultFile(tonvel::kResourceNames, (dir / "ins.ins").string());
        piano = std::make_unique<tonvel::frmPiano>(
            tonvel::FrmPianoServices{midi, dialogs, window, shell, windows}, dir.string());
        piano->Form_Initialize();
        piano->Form_Load();
    }
    ~Window() { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
    NullMidi midi;
    tonvel::testing::RecordingDialogs dialogs;
    tonvel::testing::RecordingWindowSystem window;
    tonvel::testing::RecordingShell shell;
    tonvel::testing::RecordingAuxiliaryWindows windows{window};
    std::unique_ptr<tonvel::frmPiano> piano;
};

void BM_PianoKeyDown(benchmark::State& state) {
    Window w;
    for (auto _ : state) {
        w.piano->Form_KeyDown('Z', 0);
        state.PauseTiming();
        w.piano->Form_KeyUp('Z', 0);
        state.ResumeTiming();
    }
    state.counters["messages"] = benchmark::Counter(static_cast<double>(w.midi.sent));
}
BENCHMARK(BM_PianoKeyDown);

void BM_PianoKeyPressAndRelease(benchmark::State& state) {
    Window w;
    for (auto _ : state) {
        w.piano->Form_KeyDown('Q', 0);
        w.piano->Form_KeyUp('Q', 0);
    }
}
BENCHMARK(BM_PianoKeyPressAndRelease);

void BM_AutoRepeatKeyDown(benchmark::State& state) {
    Window w;
    w.piano->Form_KeyDown('M', 0);
    for (auto _ : state) w.piano->Form_KeyDown('M', 0);
}
BENCHMARK(BM_AutoRepeatKeyDown);

}  // namespace
