#pragma once

#include <pipewire/core.h>
#include <pipewire/stream.h>
#include <pipewire/thread-loop.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "midi/synth/audio_buffering.h"
#include "midi/synth/audio_output.h"
#include "midi/synth/render_thread.h"

namespace tonvel {

// Sound through a PipeWire server's own stream, which renders in the server's cycle. The
// stream asks for a latency of one period, so the whole graph runs at that quantum while the
// program plays: a key's sound waits for the next cycle and that cycle alone. Through the
// server's PulseAudio side the same stream would keep at least 256 frames (5.3 ms) of buffer
// on top, whatever it asks. A server that starts the stream but links it to no sink (a
// PipeWire that carries only video, beside a PulseAudio server) is refused, so that the next
// output is tried. A cycle whose sound comes late doubles the period, as
// AudioBuffering::periodAfterDropout says. A server that goes away (its connection closes) marks
// the output lost.
class PipeWireOutput : public AudioOutput {
  public:
    // How long the server may take to link a new stream to a sink and run it.
    static constexpr std::chrono::milliseconds kLinkWait{1500};

    explicit PipeWireOutput(AudioBuffering buffering = {});
    ~PipeWireOutput() override;
    PipeWireOutput(const PipeWireOutput&) = delete;
    PipeWireOutput& operator=(const PipeWireOutput&) = delete;

    bool start(SoundSource& source) override;
    void stop() override;
    AudioStatus status() const override;
    std::string serverName() const override { return "PipeWire"; }
    bool lost() const override { return lost_.load(std::memory_order_relaxed); }
    uint64_t server() const override;
    void setSilent(bool silent) override { silent_ = silent; }
    void abandonStarts(bool abandon) override { abandon_ = abandon; }

  private:
    static const pw_stream_events& events();
    static const pw_core_events& coreEvents();
    static void onGrow(void* self, uint64_t count);
    bool connect(SoundSource& source, int periodFrames);
    void render();
    void noteCycle(const pw_time& time, uint32_t frames);
    void askLatency(int periodFrames);

    AudioBuffering buffering_;
    SoundSource* source_ = nullptr;
    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    pw_stream* stream_ = nullptr;
    spa_source* grow_ = nullptr;
    spa_hook listener_{};
    spa_hook coreListener_{};
    RenderThread thread_;
    std::vector<float> left_, right_;
    std::atomic<int> periodFrames_{0};
    std::atomic<int> state_{0};
    std::atomic<bool> lost_{false};
    std::atomic<bool> silent_{false};
    std::atomic<bool> abandon_{false};
    std::string socketPath_;  // where the server listens, learnt from the environment at first
    std::chrono::steady_clock::time_point lastGrowth_;  // on the loop's thread
    bool realTime_ = false;
};

}  // namespace tonvel
