#pragma once

#include <pulse/context.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "midi/synth/audio_buffering.h"
#include "midi/synth/audio_output.h"
#include "midi/synth/render_thread.h"

namespace tonvel {

// Sound through a PulseAudio server, or PipeWire's, asking it for a buffer of one period.
// The synthesizer renders when the server asks for more, on the thread that receives the
// request, and that thread is raised to real-time priority where the system allows it. A
// key's sound then waits for at most the server's request and the one period of buffer, and
// no other thread stands in the way. Where the machine cannot keep up with the period, each
// dropout doubles it (see AudioBuffering::periodAfterDropout). A server that goes away (the
// context or the stream fails once ready) marks the output lost.
class PulseAudioOutput : public AudioOutput {
  public:
    explicit PulseAudioOutput(AudioBuffering buffering = {});
    ~PulseAudioOutput() override;
    PulseAudioOutput(const PulseAudioOutput&) = delete;
    PulseAudioOutput& operator=(const PulseAudioOutput&) = delete;

    bool start(SoundSource& source) override;
    void stop() override;
    AudioStatus status() const override;
    std::string serverName() const override { return "PulseAudio"; }
    bool lost() const override { return lost_.load(std::memory_order_relaxed); }
    uint64_t server() const override;
    void setSilent(bool silent) override { silent_ = silent; }

  private:
    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onWrite(pa_stream* stream, size_t bytes, void* self);
    static void onUnderflow(pa_stream* stream, void* self);
    bool connect(SoundSource& source, int periodFrames);
    void render(size_t bytes);
    void growAfterDropout();

    AudioBuffering buffering_;
    SoundSource* source_ = nullptr;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    RenderThread thread_;
    std::vector<float> left_, right_;
    std::atomic<int> periodFrames_{0};
    std::atomic<bool> ready_{false};
    std::atomic<bool> lost_{false};
    std::atomic<bool> silent_{false};
    std::string socketPath_;  // empty when the server is not a local socket
    std::chrono::steady_clock::time_point lastGrowth_;  // on the server's thread
    bool realTime_ = false;
};

}  // namespace tonvel
