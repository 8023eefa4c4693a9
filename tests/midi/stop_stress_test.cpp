// The main window over the real sending thread and a recording output: playbacks, the rhythm
// and keys stopped at random moments by Ctrl+P, F9, device changes and the exit.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "fakes/piano_fixture.h"
#include "foundation/output_clock.h"
#include "midi/sender/scheduled_midi_system.h"
#include "recording/recording_file.h"

namespace tonvel {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kKeyZ = 90, kCtrl = 2, kKeyP = 80, kF5 = 116, kF9 = 120;

// A chord ending note by note, dense overlapping notes, and a burst at one instant.
std::vector<TimedMessage> takeWithEdges() {
    std::vector<TimedMessage> take;
    for (int i = 0; i < 40; ++i) {
        take.push_back({0, packMessage(0x91, 30 + i, 90)});
        take.push_back({1 + i, packMessage(0x81, 30 + i, 0)});
    }
    for (int i = 0; i < 200; ++i) {
        const int note = 40 + i % 40;
        take.push_back({50 + i * 7, packMessage(0x90, note, 90)});
        take.push_back({50 + i * 7 + 20, packMessage(0x80, note, 0)});
    }
    for (int i = 0; i < 500; ++i) {
        take.push_back({60, packMessage(0x92, 20 + i % 80, 90)});
        take.push_back({60, packMessage(0x82, 20 + i % 80, 0)});
    }
    std::stable_sort(take.begin(), take.end(),
                     [](const auto& a, const auto& b) { return a.ms < b.ms; });
    return take;
}

class SharedOutput : public MidiSystem {
  public:
    explicit SharedOutput(testing::RecordingMidiSystem& inner) : inner_(inner) {}
    auto locked(auto look) {
        std::lock_guard hold(lock_);
        return look();
    }
    std::vector<std::string> outputNames() override {
        return locked([&] { return inner_.outputNames(); });
    }
    bool open(int device) override {
        return locked([&] { return inner_.open(device); });
    }
    void close() override {
        locked([&] { inner_.close(); });
    }
    bool sendShortMessage(uint32_t message) override {
        return locked([&] { return inner_.sendShortMessage(message); });
    }

  private:
    testing::RecordingMidiSystem& inner_;
    std::mutex lock_;
};

class StopStress : public testing::PianoFixture {
  protected:
    // As the front end's timer binding does: the tick's messages leave at its due time, up to
    // 15 ms ahead, and a timer's due times never go back.
    void tick(Timer& timer, void (frmPiano::*handler)(), std::mt19937& random) {
        if (!timer.enabled) return;
        auto& due = lastDue[&timer];
        due = std::max(due, Clock::now() + std::chrono::milliseconds(random() % 16));
        scheduled->beginTimed(due, &timer);
        programClock.tickAt(due);
        (piano.get()->*handler)();
        programClock.tickDone();
        scheduled->endTimed();
        if (!timer.enabled) piano->midiOut.dropTimed(&timer, programClock.now());
    }
    std::unique_ptr<ScheduledMidiSystem> scheduled;
    // The program's clock, as the front end gives it: the window and the thread share the time.
    OutputClock programClock;
    std::map<const Timer*, Clock::time_point> lastDue;
};

TEST_F(StopStress, EveryNoteStartedEndsWhateverStopsIt) {
    midi.names = {"Port A", "Port B"};
    const auto folder = dir / "recordings";
    ASSERT_FALSE(saveRecording((folder / "take.mid").string(), takeWithEdges()));
    SharedOutput shared(midi);
    // Channels 1 and 2 are the recording's alone: once its playback has stopped, and the thread
    // has done what was handed over before, nothing may sound there.
    const auto playbackSilent = [&](unsigned run, int step) {
        scheduled->outputNames();
        shared.locked([&] {
            if (!midi.openDevice) return;
            for (const auto& [channel, note] : midi.sounding[*midi.openDevice])
                if (channel != 0 && channel != 9)
                    ADD_FAILURE() << "run " << run << " step " << step << ": channel " << channel
                                  << " note " << note << " sounds after the stop";
        });
    };
    for (unsigned run = 1; run <= 12; ++run) {
        std::mt19937 random(run);
        midi.sounding.clear();
        scheduled = std::make_unique<ScheduledMidiSystem>(shared);
        piano = std::make_unique<frmPiano>(
            FrmPianoServices{*scheduled, dialogs, window, shell, windows, &keyCaps, &programClock},
            dir.string());
        piano->recordingsDirectory = folder.string();
        piano->Form_Initialize();
        piano->Form_Load();
        piano->mnuBeat_Click(0);
        for (int step = 0; step < 150 && !piano->isUnloaded(); ++step) {
            tick(piano->tmrPlay, &frmPiano::tmrPlay_Timer, random);
            tick(piano->tmrBeat, &frmPiano::tmrBeat_Timer, random);
            switch (random() % 14) {
                case 0: {
                    const bool wasPlaying = piano->tmrPlay.enabled;
                    piano->Form_KeyDown(kKeyP, kCtrl);
                    piano->Form_KeyUp(kKeyP, kCtrl);
                    if (wasPlaying) playbackSilent(run, step);
                    break;
                }
                case 2:
                    piano->Form_KeyDown(random() % 2 ? kF5 : kF9, 0);
                    piano->Form_KeyUp(kF9, 0);
                    if (!piano->tmrBeat.enabled)
                        piano->midiOut.dropTimed(&piano->tmrBeat, programClock.now());
                    break;
                case 3:
                    piano->Form_KeyDown(kKeyZ, 0);
                    break;
                case 4:
                    piano->Form_KeyUp(kKeyZ, 0);
                    break;
                case 5:
                    if (random() % 3 == 0) {
                        piano->mnuDevice_Click(static_cast<int>(random() % 3));
                        // Choosing the same device again reopens it and plays on.
                        if (!piano->tmrPlay.enabled) playbackSilent(run, step);
                    }
                    break;
                case 6:
                    if (random() % 20 == 0) {
                        piano->Form_QueryUnload();
                        piano->Form_Unload();
                    }
                    break;
                default:
                    std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
                    break;
            }
        }
        if (!piano->isUnloaded()) {
            piano->Form_QueryUnload();
            piano->Form_Unload();
        }
        const size_t sentAtExit = shared.locked([&] { return midi.sent.size(); });
        std::this_thread::sleep_for(30ms);
        EXPECT_EQ(shared.locked([&] { return midi.sent.size(); }), sentAtExit)
            << "run " << run << ": sent after the exit";
        for (const auto& [device, notes] : midi.sounding) {
            for (const auto& [channel, note] : notes)
                ADD_FAILURE() << "run " << run << ": channel " << channel << " note " << note
                              << " still sounding on device " << device;
        }
        piano.reset();
        scheduled.reset();
    }
}

}  // namespace
}  // namespace tonvel
