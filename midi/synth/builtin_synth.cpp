#include "midi/synth/builtin_synth.h"

#include "midi/synth/synth_gain.h"

namespace tonvel {

BuiltinSynth::BuiltinSynth(SoundFontSearch search, std::unique_ptr<AudioOutput> audio,
                           SynthConfig config)
    : search_(std::move(search)), config_(config), audio_(std::move(audio)) {}

BuiltinSynth::~BuiltinSynth() {
    stopAudio();
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
    if (!audioRunning_)
        audioRunning_ = audio_->start(*engine_);
    else
        audio_->tryAgain();
    open_ = audioRunning_;
    return open_;
}

void BuiltinSynth::close() {
    if (!open_) return;
    engine_->cutAllSound();
    open_ = false;
}

void BuiltinSynth::stopAudio() {
    close();
    if (!audioRunning_) return;
    audio_->stop();
    audioRunning_ = false;
    engine_->silence();
}

bool BuiltinSynth::send(uint32_t message) {
    if (!open_) return false;
    engine_->play(message);
    return true;
}

SendResult BuiltinSynth::trySend(uint32_t message) {
    if (!open_) return SendResult::Failed;
    return engine_->tryPlay(message) ? SendResult::Sent : SendResult::Busy;
}

void BuiltinSynth::prepare(uint32_t message) {
    if (!open_ || (message & 0xF0) != 0xC0) return;
    engine_->prepare(static_cast<int>(message & 0x0F), static_cast<int>((message >> 8) & 0x7F));
}

}  // namespace tonvel
