#include "midi/synth/fluid_audio_output.h"

#include <algorithm>
#include <cstring>

#include "midi/jack/jack_autostart.h"
#include "midi/jack/jack_server_socket.h"
#include "midi/realtime/realtime_thread.h"
#include "midi/synth/sound_source.h"

namespace tonvel {

namespace {

int64_t steadyNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The drivers hand us their buffers; the synthesizer renders through its limiter.
int renderForDriver(void* data, int frames, int, float**, int outputs, float** out) {
    auto* renderer = static_cast<FluidAudioOutput::Renderer*>(data);
    renderer->thread.noteCaller(frames);
    renderer->lastCall.store(steadyNanoseconds(), std::memory_order_relaxed);
    if (outputs < 2) return FLUID_FAILED;
    if (renderer->silent.load(std::memory_order_relaxed)) {
        std::fill_n(out[0], frames, 0.0F);
        std::fill_n(out[1], frames, 0.0F);
        return FLUID_OK;
    }
    renderer->source->render(frames, out[0], out[1]);
    return FLUID_OK;
}

}  // namespace

FluidAudioOutput::FluidAudioOutput(std::vector<std::string> drivers, AudioBuffering buffering)
    : buffering_(buffering), drivers_(std::move(drivers)), settings_(new_fluid_settings()) {
    // Without this a JACK output would be silent until connected by hand.
    if (settings_ != nullptr) fluid_settings_setint(settings_, "audio.jack.autoconnect", 1);
}

FluidAudioOutput::~FluidAudioOutput() {
    stop();
    if (settings_ != nullptr) delete_fluid_settings(settings_);
}

bool FluidAudioOutput::start(SoundSource& source) {
    stop();
    if (settings_ == nullptr) return false;
    preventJackServerAutostart();
    fluid_settings_t* settings = settings_;
    fluid_settings_setnum(settings, "synth.sample-rate", source.sampleRate());
    for (const auto& name : drivers_) {
        if (name == "jack" && (jackIsPipeWire() || !jackServerMayAnswer())) continue;
        fluid_settings_setstr(settings, "audio.driver", name.c_str());
        // A JACK server keeps its own period and ignores this.
        period_ = buffering_.periodFor(name == "jack" || realtimeAvailable());
        fluid_settings_setint(settings, "audio.period-size", period_);
        fluid_settings_setint(settings, "audio.periods", 2);
        // The priority is ours to ask for, through rtkit too; FluidSynth would only warn.
        fluid_settings_setint(settings, "audio.realtime-prio", 0);
        renderer_.source = &source;
        renderer_.thread.reset();
        renderer_.lastCall = steadyNanoseconds();
        startedServer_ = server();
        driver_ = new_fluid_audio_driver2(settings, renderForDriver, &renderer_);
        if (driver_ == nullptr) continue;
        activeDriver_ = name;
        realTime_ = renderer_.thread.raise();
        running_ = true;
        return true;
    }
    return false;
}

void FluidAudioOutput::stop() {
    if (driver_ == nullptr) return;
    running_ = false;
    delete_fluid_audio_driver(driver_);
    driver_ = nullptr;
    activeDriver_.clear();
    realTime_ = false;
    renderer_.thread.reset();
}

AudioStatus FluidAudioOutput::status() const {
    if (driver_ == nullptr) return {};
    return {activeDriver_, activeDriver_ == "jack" ? renderer_.thread.frames() : period_,
            realTime_};
}

std::string FluidAudioOutput::serverName() const {
    if (usesJack()) return "JACK";
    if (drivers_.size() == 1 && drivers_[0] == "alsa") return "ALSA";
    return drivers_.empty() ? "sound" : drivers_[0];
}

bool FluidAudioOutput::lost() const {
    if (!running_.load(std::memory_order_relaxed)) return false;
    // A JACK server that ends takes its socket with it: known before its silence is.
    if (server() != startedServer_) return true;
    const int64_t since = steadyNanoseconds() - renderer_.lastCall.load(std::memory_order_relaxed);
    return since > std::chrono::nanoseconds(kSilentDriver).count();
}

uint64_t FluidAudioOutput::server() const {
    if (usesJack()) return jackServerIdentity();
    return 1;
}

}  // namespace tonvel
