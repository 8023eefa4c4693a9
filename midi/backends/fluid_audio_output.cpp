#include "midi/backends/fluid_audio_output.h"

#include "midi/backends/jack_autostart.h"
#include "midi/backends/jack_server_socket.h"
#include "midi/backends/synth_engine.h"

namespace tonvel {

namespace {

// The drivers hand us their buffers; the synthesizer renders through its limiter.
int renderForDriver(void* engine, int frames, int, float**, int outputs, float** out) {
    if (outputs < 2) return FLUID_FAILED;
    static_cast<SynthEngine*>(engine)->render(frames, out[0], out[1]);
    return FLUID_OK;
}

}  // namespace

FluidAudioOutput::FluidAudioOutput(std::vector<std::string> drivers)
    : drivers_(std::move(drivers)) {}

FluidAudioOutput::~FluidAudioOutput() {
    stop();
}

bool FluidAudioOutput::start(SynthEngine& engine) {
    stop();
    preventJackServerAutostart();
    for (const auto& name : drivers_) {
        if (name == "jack" && !jackServerMayAnswer()) continue;
        fluid_settings_setstr(engine.settings(), "audio.driver", name.c_str());
        driver_ = new_fluid_audio_driver2(engine.settings(), renderForDriver, &engine);
        if (driver_ != nullptr) {
            activeDriver_ = name;
            return true;
        }
    }
    return false;
}

void FluidAudioOutput::stop() {
    if (driver_ == nullptr) return;
    delete_fluid_audio_driver(driver_);
    driver_ = nullptr;
    activeDriver_.clear();
}

}  // namespace tonvel
