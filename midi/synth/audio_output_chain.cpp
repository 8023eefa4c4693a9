#include "midi/synth/audio_output_chain.h"

#include "midi/synth/fluid_audio_output.h"
#include "midi/synth/pipewire_output.h"
#include "midi/synth/pulse_audio_output.h"

namespace tonvel {

AudioOutputChain::AudioOutputChain(std::vector<std::unique_ptr<AudioOutput>> outputs)
    : outputs_(std::move(outputs)) {}

std::unique_ptr<AudioOutputChain> AudioOutputChain::systemDefault(const AudioBuffering& buffering) {
    std::vector<std::unique_ptr<AudioOutput>> outputs;
    outputs.push_back(
        std::make_unique<FluidAudioOutput>(std::vector<std::string>{"jack"}, buffering));
    outputs.push_back(std::make_unique<PipeWireOutput>(buffering));
    outputs.push_back(std::make_unique<PulseAudioOutput>(buffering));
    outputs.push_back(
        std::make_unique<FluidAudioOutput>(std::vector<std::string>{"alsa"}, buffering));
    return std::make_unique<AudioOutputChain>(std::move(outputs));
}

bool AudioOutputChain::start(SynthEngine& engine) {
    stop();
    for (auto& output : outputs_) {
        if (output->start(engine)) {
            active_ = output.get();
            return true;
        }
    }
    return false;
}

void AudioOutputChain::stop() {
    if (active_ == nullptr) return;
    active_->stop();
    active_ = nullptr;
}

AudioStatus AudioOutputChain::status() const {
    return active_ != nullptr ? active_->status() : AudioStatus{};
}

}  // namespace tonvel
