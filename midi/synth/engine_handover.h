#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "midi/synth/channel_mirror.h"
#include "midi/synth/peak_limiter.h"
#include "midi/synth/sound_source.h"
#include "midi/synth/synth_engine.h"

namespace tonvel {

// The built-in synthesizer's engines as the thread that sends and the audio output's thread see
// them, so that the SoundFont can change while music plays. An engine made and loaded elsewhere
// is offered; at the next message the thread that sends plays, it takes over with the channels'
// banks, programs and controllers, and new notes go to it. The engine it took over from rings
// out what it sounds, hears note-offs, controllers, bend and pressure, and once the audio thread
// has heard it silent it is let go, to be freed away from both threads.
//
// Neither the thread that sends nor the audio thread waits here, allocates or frees: engines
// pass between the threads through atomic states, and the window's thread frees an engine only
// once it has seen that neither of them is inside this object since the engine was let go.
class EngineHandover : public SoundSource {
  public:
    // The first engine in use, the one offered next, and those ringing out.
    static constexpr size_t kEngines = 4;
    // An engine ringing out is let go after this long without a voice or a sound above kQuiet.
    static constexpr double kQuietSeconds = 0.25;
    static constexpr float kQuiet = 1e-4F;  // -80 dBFS

    EngineHandover(double sampleRate, float ceiling);
    ~EngineHandover() override;
    EngineHandover(const EngineHandover&) = delete;
    EngineHandover& operator=(const EngineHandover&) = delete;

    // The window's thread.

    // The engine that plays from now on, at once: only before any is, and while nothing sends.
    void install(std::unique_ptr<SynthEngine> engine);
    // An engine to take over at the next message sent. One offered before and not taken yet is
    // let go. False, and `engine` kept, while every place is taken by engines ringing out.
    bool offer(std::unique_ptr<SynthEngine>& engine);
    // While nothing sends: the offered engine takes over now, as at a message, and with
    // `endRinging` those ringing out are cut and let go.
    void settle(bool endRinging);
    // Engines neither thread can reach any more, for the caller to free.
    std::vector<std::unique_ptr<SynthEngine>> collect();
    // The engine that plays, or the one offered to take over from it: where settings go.
    SynthEngine* newest() const;
    // The engine that plays; null before install().
    SynthEngine* playing() const;
    // Every engine held, offered, playing or ringing out.
    std::vector<SynthEngine*> held() const;
    // What the channels were told, for a new engine to start from.
    const ChannelMirror& mirror() const { return mirror_; }
    // The engine that plays was reset (SynthEngine::cutAllSound).
    void channelsReset() { mirror_.clear(); }

    // The thread that sends.
    void play(uint32_t message);
    // As play, without waiting: false, and the message reaching no engine, while the window's
    // thread readies a program in one it would reach (SynthEngine::prepare).
    bool tryPlay(uint32_t message);

    // The audio thread.
    double sampleRate() const override { return sampleRate_; }
    void render(int frames, float* left, float* right) override;
    void cutVoices() override;

  private:
    enum State : uint8_t { Free, Offered, Playing, Ringing, Quiet, LetGo };

    // From the thread that sends with `mayWait` false: an engine the window's thread is
    // readying is left offered, to take over at a later message.
    void takeOver(bool mayWait = true);
    // Audio thread: into the scratch buffers, and added to the output.
    void mix(SynthEngine& engine, int frames, float* left, float* right, float& peak);

    double sampleRate_;
    std::array<std::unique_ptr<SynthEngine>, kEngines> owned_;  // the window's
    std::array<SynthEngine*, kEngines> engines_{};              // published with each state change
    std::array<std::atomic<State>, kEngines> states_{};
    std::atomic<int> playing_{-1};  // the sending thread's, and the window's while none sends
    ChannelMirror mirror_;
    std::vector<std::unique_ptr<SynthEngine>> letGo_;  // offered, never taken
    std::atomic<bool> senderInside_{false};
    std::atomic<int> readersInside_{0};

    // The audio thread's.
    std::array<int64_t, kEngines> quietFrames_{};
    static constexpr int kScratchFrames = 512;
    std::array<float, kScratchFrames> scratchLeft_{}, scratchRight_{};
    PeakLimiter limiter_;
};

}  // namespace tonvel
