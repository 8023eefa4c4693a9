#include "midi/synth/pulse_audio_output.h"

#include <pulse/proplist.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string_view>

#include "midi/jack/jack_server_socket.h"
#include "midi/realtime/realtime_thread.h"
#include "midi/synth/sound_source.h"

namespace tonvel {

namespace {

constexpr size_t kFrameBytes = 2 * sizeof(float);
// The most the synthesizer renders in one go, so that its buffers stay small.
constexpr size_t kChunkFrames = 1024;
// Dropouts this soon after the stream starts do not grow the period (with the second that
// AudioBuffering::periodAfterDropout waits after each growth, five seconds).
constexpr auto kStartingTime = std::chrono::seconds(4);

// The whole way through the server is to take one period: the server splits it between its
// own buffer and ours (ADJUST_LATENCY) and asks as soon as there is room.
pa_buffer_attr bufferFor(int periodFrames) {
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength = static_cast<uint32_t>(periodFrames * kFrameBytes);
    buffer.prebuf = static_cast<uint32_t>(-1);
    buffer.minreq = static_cast<uint32_t>(-1);
    buffer.fragsize = static_cast<uint32_t>(-1);
    return buffer;
}

// Where a client of this environment finds a local server, as libpulse looks for it; empty for
// a server elsewhere.
std::string pulseSocketPath() {
    if (const char* named = std::getenv("PULSE_SERVER"); named != nullptr && *named != '\0') {
        std::string_view server(named);
        server = server.substr(0, server.find(' '));
        if (server.starts_with("unix:")) return std::string(server.substr(5));
        if (server.starts_with("/")) return std::string(server);
        return {};
    }
    if (const char* runtime = std::getenv("PULSE_RUNTIME_PATH"); runtime != nullptr && *runtime)
        return std::string(runtime) + "/native";
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime)
        return std::string(runtime) + "/pulse/native";
    return {};
}

}  // namespace

PulseAudioOutput::PulseAudioOutput(AudioBuffering buffering)
    : buffering_(buffering),
      left_(kChunkFrames),
      right_(kChunkFrames),
      socketPath_(pulseSocketPath()) {}

PulseAudioOutput::~PulseAudioOutput() {
    stop();
}

bool PulseAudioOutput::start(SoundSource& source) {
    stop();
    if (!connect(source, buffering_.periodFor(realtimeAvailable()))) {
        stop();
        return false;
    }
    realTime_ = thread_.raise();
    return true;
}

bool PulseAudioOutput::connect(SoundSource& source, int periodFrames) {
    source_ = &source;
    ready_ = false;
    lost_ = false;
    thread_.reset();
    loop_ = pa_threaded_mainloop_new();
    if (loop_ == nullptr) return false;
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Tonvel");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "org.tonvel.Tonvel");
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "music");
    context_ =
        pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Tonvel", properties);
    pa_proplist_free(properties);
    if (context_ == nullptr) return false;
    pa_context_set_state_callback(context_, &PulseAudioOutput::onContextState, this);
    // Never starts a server: without one the next output is tried.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return false;

    pa_threaded_mainloop_lock(loop_);
    if (pa_threaded_mainloop_start(loop_) < 0) {
        pa_threaded_mainloop_unlock(loop_);
        return false;
    }
    pa_context_state_t state;
    while ((state = pa_context_get_state(context_)) != PA_CONTEXT_READY &&
           PA_CONTEXT_IS_GOOD(state))
        pa_threaded_mainloop_wait(loop_);
    if (state != PA_CONTEXT_READY) {
        pa_threaded_mainloop_unlock(loop_);
        return false;
    }

    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(source.sampleRate()), 2};
    stream_ = pa_stream_new(context_, "Tonvel", &format, nullptr);
    bool ready = false;
    if (stream_ != nullptr) {
        pa_stream_set_state_callback(stream_, &PulseAudioOutput::onStreamState, this);
        pa_stream_set_write_callback(stream_, &PulseAudioOutput::onWrite, this);
        pa_stream_set_underflow_callback(stream_, &PulseAudioOutput::onUnderflow, this);
        const pa_buffer_attr buffer = bufferFor(periodFrames);
        periodFrames_ = periodFrames;
        // The first seconds of a stream are no measure of the machine: the program is still
        // loading, and a server may start a stream behind its time.
        lastGrowth_ = std::chrono::steady_clock::now() + kStartingTime;
        const auto flags = static_cast<pa_stream_flags_t>(
            PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE);
        if (pa_stream_connect_playback(stream_, nullptr, &buffer, flags, nullptr, nullptr) == 0) {
            pa_stream_state_t streamState;
            while ((streamState = pa_stream_get_state(stream_)) != PA_STREAM_READY &&
                   PA_STREAM_IS_GOOD(streamState))
                pa_threaded_mainloop_wait(loop_);
            ready = streamState == PA_STREAM_READY;
        }
    }
    ready_ = ready;
    pa_threaded_mainloop_unlock(loop_);
    return ready;
}

void PulseAudioOutput::stop() {
    if (loop_ != nullptr) {
        pa_threaded_mainloop_lock(loop_);
        if (stream_ != nullptr) {
            pa_stream_set_write_callback(stream_, nullptr, nullptr);
            pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
            stream_ = nullptr;
        }
        if (context_ != nullptr) {
            pa_context_set_state_callback(context_, nullptr, nullptr);
            pa_context_disconnect(context_);
            pa_context_unref(context_);
            context_ = nullptr;
        }
        pa_threaded_mainloop_unlock(loop_);
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
    }
    source_ = nullptr;
    periodFrames_ = 0;
    realTime_ = false;
    ready_ = false;
    lost_ = false;
    thread_.reset();
}

AudioStatus PulseAudioOutput::status() const {
    if (stream_ == nullptr) return {};
    return {"pulseaudio", periodFrames_, realTime_};
}

uint64_t PulseAudioOutput::server() const {
    return socketPath_.empty() ? 1 : socketIdentity(socketPath_);
}

// Our own stop removes these callbacks first: a context or stream that ends after it was ready
// is the server's doing.
void PulseAudioOutput::onContextState(pa_context* context, void* self) {
    auto* output = static_cast<PulseAudioOutput*>(self);
    if (output->ready_ && !PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) output->lost_ = true;
    pa_threaded_mainloop_signal(output->loop_, 0);
}

void PulseAudioOutput::onStreamState(pa_stream* stream, void* self) {
    auto* output = static_cast<PulseAudioOutput*>(self);
    if (output->ready_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) output->lost_ = true;
    pa_threaded_mainloop_signal(output->loop_, 0);
}

void PulseAudioOutput::onWrite(pa_stream*, size_t bytes, void* self) {
    static_cast<PulseAudioOutput*>(self)->render(bytes);
}

void PulseAudioOutput::onUnderflow(pa_stream*, void* self) {
    static_cast<PulseAudioOutput*>(self)->growAfterDropout();
}

void PulseAudioOutput::growAfterDropout() {
    const auto now = std::chrono::steady_clock::now();
    const int current = periodFrames_;
    const int grown = buffering_.periodAfterDropout(
        current, std::chrono::duration_cast<std::chrono::milliseconds>(now - lastGrowth_));
    if (grown == current) return;
    lastGrowth_ = now;
    periodFrames_ = grown;
    const pa_buffer_attr buffer = bufferFor(grown);
    if (pa_operation* change = pa_stream_set_buffer_attr(stream_, &buffer, nullptr, nullptr))
        pa_operation_unref(change);
}

void PulseAudioOutput::render(size_t bytes) {
    size_t frames = bytes / kFrameBytes;
    thread_.noteCaller(static_cast<int>(frames));
    while (frames > 0) {
        size_t chunk = std::min(frames, kChunkFrames);
        size_t room = chunk * kFrameBytes;
        void* data = nullptr;
        // The server's own memory when it offers it: no copy on the way.
        if (pa_stream_begin_write(stream_, &data, &room) < 0 || data == nullptr) return;
        chunk = std::min(chunk, room / kFrameBytes);
        if (chunk == 0) {
            pa_stream_cancel_write(stream_);
            return;
        }
        auto* out = static_cast<float*>(data);
        if (silent_.load(std::memory_order_relaxed)) {
            std::fill_n(left_.data(), chunk, 0.0F);
            std::fill_n(right_.data(), chunk, 0.0F);
        } else {
            source_->render(static_cast<int>(chunk), left_.data(), right_.data());
        }
        for (size_t i = 0; i < chunk; ++i) {
            out[2 * i] = left_[i];
            out[2 * i + 1] = right_[i];
        }
        if (pa_stream_write(stream_, data, chunk * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            return;
        frames -= chunk;
    }
}

}  // namespace tonvel
