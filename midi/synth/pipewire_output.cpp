#include "midi/synth/pipewire_output.h"

#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>

#include "midi/jack/jack_server_socket.h"
#include "midi/realtime/realtime_thread.h"
#include "midi/synth/sound_source.h"

namespace tonvel {

namespace {

constexpr size_t kFrameBytes = 2 * sizeof(float);
// The most the synthesizer renders in one go, so that its buffers stay small.
constexpr size_t kChunkFrames = 1024;
// Misses this soon after the stream starts do not grow the period: the program is still
// loading, and the graph settles on its new quantum.
constexpr auto kStartingTime = std::chrono::seconds(4);

void initOnce() {
    static std::once_flag once;
    std::call_once(once, [] { pw_init(nullptr, nullptr); });
}

std::string latencyText(int periodFrames, int rate) {
    return std::to_string(periodFrames) + "/" + std::to_string(rate);
}

// Where a client of this environment finds the server, as libpipewire looks for it.
std::string pipeWireSocketPath() {
    const char* remote = std::getenv("PIPEWIRE_REMOTE");
    const std::string name = remote != nullptr && *remote != '\0' ? remote : "pipewire-0";
    if (name.front() == '/') return name;
    for (const char* variable : {"PIPEWIRE_RUNTIME_DIR", "XDG_RUNTIME_DIR"}) {
        const char* directory = std::getenv(variable);
        if (directory != nullptr && *directory != '\0') return std::string(directory) + "/" + name;
    }
    return {};
}

// A wait for the server's answer, cut short by abandonStarts().
constexpr int64_t kWaitSlice = 50'000'000;  // nanoseconds

}  // namespace

PipeWireOutput::PipeWireOutput(AudioBuffering buffering)
    : buffering_(buffering),
      left_(kChunkFrames),
      right_(kChunkFrames),
      socketPath_(pipeWireSocketPath()) {}

PipeWireOutput::~PipeWireOutput() {
    stop();
}

bool PipeWireOutput::start(SoundSource& source) {
    stop();
    if (!connect(source, buffering_.periodFor(realtimeAvailable()))) {
        stop();
        return false;
    }
    realTime_ = thread_.raise();
    return true;
}

bool PipeWireOutput::connect(SoundSource& source, int periodFrames) {
    initOnce();
    source_ = &source;
    thread_.reset();
    state_ = PW_STREAM_STATE_UNCONNECTED;
    lost_ = false;
    loop_ = pw_thread_loop_new("tonvel-pipewire", nullptr);
    if (loop_ == nullptr) return false;
    context_ = pw_context_new(pw_thread_loop_get_loop(loop_), nullptr, 0);
    if (context_ == nullptr) return false;
    if (pw_thread_loop_start(loop_) < 0) return false;

    pw_thread_loop_lock(loop_);
    // Without a server this fails at once, and the next output is tried.
    core_ = pw_context_connect(context_, nullptr, 0);
    bool ready = false;
    if (core_ != nullptr) {
        coreListener_ = {};
        pw_core_add_listener(core_, &coreListener_, &coreEvents(), this);
        const int rate = source.sampleRate();
        pw_properties* properties =
            pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback",
                              PW_KEY_MEDIA_ROLE, "Music", PW_KEY_APP_NAME, "Tonvel", PW_KEY_APP_ID,
                              "org.tonvel.Tonvel", PW_KEY_NODE_NAME, "Tonvel", PW_KEY_NODE_LATENCY,
                              latencyText(periodFrames, rate).c_str(), nullptr);
        stream_ = pw_stream_new(core_, "Tonvel", properties);
        if (stream_ != nullptr) {
            listener_ = {};
            pw_stream_add_listener(stream_, &listener_, &events(), this);
            grow_ =
                pw_loop_add_event(pw_thread_loop_get_loop(loop_), &PipeWireOutput::onGrow, this);
            periodFrames_ = periodFrames;
            lastGrowth_ = std::chrono::steady_clock::now() + kStartingTime;

            uint8_t podBuffer[1024];
            spa_pod_builder builder = SPA_POD_BUILDER_INIT(podBuffer, sizeof(podBuffer));
            spa_audio_info_raw format{};
            format.format = SPA_AUDIO_FORMAT_F32;
            format.rate = static_cast<uint32_t>(rate);
            format.channels = 2;
            format.position[0] = SPA_AUDIO_CHANNEL_FL;
            format.position[1] = SPA_AUDIO_CHANNEL_FR;
            const spa_pod* params[1] = {
                spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &format)};
            const auto flags = static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT |
                                                            PW_STREAM_FLAG_MAP_BUFFERS |
                                                            PW_STREAM_FLAG_RT_PROCESS);
            if (pw_stream_connect(stream_, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1) == 0) {
                // Streaming once a session manager has linked it to a sink and the graph runs.
                const auto deadline = std::chrono::steady_clock::now() + kLinkWait;
                while (state_ != PW_STREAM_STATE_STREAMING && state_ != PW_STREAM_STATE_ERROR &&
                       !lost_ && !abandon_ && std::chrono::steady_clock::now() < deadline) {
                    timespec until{};
                    pw_thread_loop_get_time(loop_, &until, kWaitSlice);
                    pw_thread_loop_timed_wait_full(loop_, &until);
                }
                ready = state_ == PW_STREAM_STATE_STREAMING && !lost_;
            }
        }
    }
    pw_thread_loop_unlock(loop_);
    return ready;
}

void PipeWireOutput::stop() {
    if (loop_ != nullptr) {
        pw_thread_loop_lock(loop_);
        if (stream_ != nullptr) {
            spa_hook_remove(&listener_);
            pw_stream_disconnect(stream_);
            pw_stream_destroy(stream_);
            stream_ = nullptr;
        }
        if (grow_ != nullptr) {
            pw_loop_destroy_source(pw_thread_loop_get_loop(loop_), grow_);
            grow_ = nullptr;
        }
        if (core_ != nullptr) {
            spa_hook_remove(&coreListener_);
            pw_core_disconnect(core_);
            core_ = nullptr;
        }
        pw_thread_loop_unlock(loop_);
        pw_thread_loop_stop(loop_);
        if (context_ != nullptr) {
            pw_context_destroy(context_);
            context_ = nullptr;
        }
        pw_thread_loop_destroy(loop_);
        loop_ = nullptr;
    }
    source_ = nullptr;
    periodFrames_ = 0;
    realTime_ = false;
    lost_ = false;
    thread_.reset();
}

AudioStatus PipeWireOutput::status() const {
    if (stream_ == nullptr) return {};
    return {"pipewire", periodFrames_, realTime_};
}

uint64_t PipeWireOutput::server() const {
    return socketPath_.empty() ? 0 : socketIdentity(socketPath_);
}

// The connection to the server closed: it went away, and the stream with it.
const pw_core_events& PipeWireOutput::coreEvents() {
    static const pw_core_events events = [] {
        pw_core_events e{};
        e.version = PW_VERSION_CORE_EVENTS;
        e.error = [](void* self, uint32_t id, int, int res, const char*) {
            auto* output = static_cast<PipeWireOutput*>(self);
            if (id == PW_ID_CORE && res == -EPIPE) {
                output->lost_ = true;
                pw_thread_loop_signal(output->loop_, false);
            }
        };
        return e;
    }();
    return events;
}

const pw_stream_events& PipeWireOutput::events() {
    static const pw_stream_events events = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.state_changed = [](void* self, pw_stream_state old, pw_stream_state state, const char*) {
            auto* output = static_cast<PipeWireOutput*>(self);
            output->state_ = state;
            // Our own disconnect removes this listener first: anything else that ends a
            // stream that ran is the server's doing.
            if (old == PW_STREAM_STATE_STREAMING &&
                (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED))
                output->lost_ = true;
            pw_thread_loop_signal(output->loop_, false);
        };
        e.process = [](void* self) { static_cast<PipeWireOutput*>(self)->render(); };
        return e;
    }();
    return events;
}

void PipeWireOutput::render() {
    pw_buffer* buffer = pw_stream_dequeue_buffer(stream_);
    if (buffer == nullptr) return;
    spa_data& data = buffer->buffer->datas[0];
    auto* out = static_cast<float*>(data.data);
    if (out == nullptr) {
        pw_stream_queue_buffer(stream_, buffer);
        return;
    }
    size_t frames = data.maxsize / kFrameBytes;
    if (buffer->requested != 0) frames = std::min<size_t>(frames, buffer->requested);
    thread_.noteCaller(static_cast<int>(frames));
    const bool silent = silent_.load(std::memory_order_relaxed);
    if (silent) std::fill_n(out, frames * 2, 0.0F);
    for (size_t done = 0; done < frames && !silent;) {
        const size_t chunk = std::min(frames - done, kChunkFrames);
        source_->render(static_cast<int>(chunk), left_.data(), right_.data());
        for (size_t i = 0; i < chunk; ++i) {
            out[2 * (done + i)] = left_[i];
            out[2 * (done + i) + 1] = right_[i];
        }
        done += chunk;
    }
    pw_time time{};
    if (pw_stream_get_time_n(stream_, &time, sizeof(time)) == 0)
        noteCycle(time, static_cast<uint32_t>(frames));
    data.chunk->offset = 0;
    data.chunk->stride = static_cast<int32_t>(kFrameBytes);
    data.chunk->size = static_cast<uint32_t>(frames * kFrameBytes);
    pw_stream_queue_buffer(stream_, buffer);
}

// A cycle whose sound is ready only once the next cycle has begun was heard as silence. The
// graph's clock also jumps when other streams come and go, which no period of ours would help,
// so that is not taken for a dropout.
void PipeWireOutput::noteCycle(const pw_time& time, uint32_t frames) {
    if (time.now <= 0 || time.rate.num == 0 || time.rate.denom == 0) return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const int64_t done = static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    const int64_t cycle = static_cast<int64_t>(frames) * 1'000'000'000 *
                          static_cast<int64_t>(time.rate.num) / time.rate.denom;
    if (done - time.now > cycle && grow_ != nullptr)
        pw_loop_signal_event(pw_thread_loop_get_loop(loop_), grow_);
}

void PipeWireOutput::onGrow(void* self, uint64_t) {
    auto* output = static_cast<PipeWireOutput*>(self);
    const auto now = std::chrono::steady_clock::now();
    const int current = output->periodFrames_;
    const int grown = output->buffering_.periodAfterDropout(
        current, std::chrono::duration_cast<std::chrono::milliseconds>(now - output->lastGrowth_));
    if (grown == current) return;
    output->lastGrowth_ = now;
    output->periodFrames_ = grown;
    output->askLatency(grown);
}

// On the loop's thread.
void PipeWireOutput::askLatency(int periodFrames) {
    if (stream_ == nullptr || source_ == nullptr) return;
    const std::string latency = latencyText(periodFrames, source_->sampleRate());
    const spa_dict_item item = SPA_DICT_ITEM_INIT(PW_KEY_NODE_LATENCY, latency.c_str());
    const spa_dict dict = SPA_DICT_INIT(&item, 1);
    pw_stream_update_properties(stream_, &dict);
}

}  // namespace tonvel
