#include "midi/backends/builtin_synth.h"

#include "midi/backends/synth_gain.h"

namespace tonvel {

BuiltinSynth::BuiltinSynth(SoundFontSearch search, std::unique_ptr<AudioOutput> audio,
                           SynthConfig config)
    : search_(std::move(search)), config_(config), audio_(std::move(audio)) {}

BuiltinSynth::~BuiltinSynth() {
    close();
}

bool BuiltinSynth::ensureLoaded() {
    // One attempt per run: a SoundFont that failed to load would fail again, slowly.
    if (loadAttempted_) return engine_ != nullptr;
    loadAttempted_ = true;
    const auto soundFont = findSoundFont(search_);
    if (!soundFont) return false;
    auto config = config_;
    config.gain = synthGainFor(*soundFont);
    ++soundFontLoads_;
    engine_ = SynthEngine::create(*soundFont, config);
    return engine_ != nullptr;
}

bool BuiltinSynth::open() {
    close();
    if (!ensureLoaded()) return false;
    open_ = audio_->start(*engine_);
    return open_;
}

void BuiltinSynth::close() {
    if (!open_) return;
    audio_->stop();
    engine_->silence();
    open_ = false;
}

bool BuiltinSynth::send(uint32_t message) {
    if (!open_) return false;
    engine_->play(message);
    return true;
}

}  // namespace tonvel
