#include "midi/synth/builtin_synth.h"

#include "midi/synth/engine_load.h"
#include "midi/synth/fluid_log.h"
#include "midi/synth/synth_gain.h"

namespace tonvel {

BuiltinSynth::BuiltinSynth(SoundFontSearch search, std::unique_ptr<AudioOutput> audio,
                           SynthConfig config)
    : search_(std::move(search)),
      config_(config),
      handover_(config.sampleRate, config.ceiling),
      audio_(std::move(audio)) {}

BuiltinSynth::~BuiltinSynth() {
    stopAudio();
}

void BuiltinSynth::preferSoundFont(const std::filesystem::path& path) {
    if (!loadAttempted_) preferred_ = path;
}

std::filesystem::path BuiltinSynth::soundFontAhead() const {
    if (!soundFont_.empty() || loadAttempted_) return soundFont_;
    if (!preferred_.empty()) return preferred_;
    return findSoundFont(search_).value_or(std::filesystem::path());
}

SynthConfig BuiltinSynth::configFor(const std::filesystem::path& soundFont) const {
    auto config = config_;
    config.gain = synthGainFor(soundFont);
    return config;
}

void BuiltinSynth::applyEffects(SynthEngine& engine) const {
    fluid_synth_reverb_on(engine.synth(), -1, reverb_ ? 1 : 0);
    fluid_synth_chorus_on(engine.synth(), -1, chorus_ ? 1 : 0);
}

void BuiltinSynth::setEffects(bool reverb, bool chorus) {
    reverb_ = reverb;
    chorus_ = chorus;
    for (SynthEngine* engine : handover_.held()) applyEffects(*engine);
}

bool BuiltinSynth::ensureLoaded() {
    // One attempt per run: a SoundFont that failed to load would fail again, slowly.
    if (loadAttempted_) return engine() != nullptr;
    loadAttempted_ = true;
    std::unique_ptr<SynthEngine> engine;
    if (!preferred_.empty()) {
        loadFailure_ = soundFontRefusal(preferred_);
        if (loadFailure_.empty()) {
            const FluidLogCapture said;
            ++soundFontLoads_;
            engine = SynthEngine::create(preferred_, configFor(preferred_));
            if (!engine) loadFailure_ = "FluidSynth cannot read it (" + said.said() + ")";
        }
        if (engine) soundFont_ = preferred_;
    }
    if (!engine) {
        const auto found = findSoundFont(search_);
        if (!found) return false;
        ++soundFontLoads_;
        engine = SynthEngine::create(*found, configFor(*found));
        if (engine) soundFont_ = *found;
    }
    if (!engine) return false;
    applyEffects(*engine);
    handover_.install(std::move(engine));
    return true;
}

bool BuiltinSynth::offer(std::unique_ptr<SynthEngine>& engine,
                         const std::filesystem::path& soundFont) {
    if (!engine) return false;
    // The effects may have changed while it loaded.
    applyEffects(*engine);
    if (handover_.playing() == nullptr) {
        // Nothing played yet: it is simply the first.
        loadAttempted_ = true;
        handover_.install(std::move(engine));
    } else if (!handover_.offer(engine)) {
        return false;
    }
    soundFont_ = soundFont;
    return true;
}

void BuiltinSynth::collect() {
    release_.release(handover_.collect());
}

bool BuiltinSynth::open() {
    close();
    if (!ensureLoaded()) return false;
    if (!audioRunning_)
        audioRunning_ = audio_->start(handover_);
    else
        audio_->tryAgain();
    open_ = audioRunning_;
    return open_;
}

void BuiltinSynth::close() {
    if (!open_) return;
    // Nothing sends while the output is closed: what was offered takes over now, and what
    // rings out ends with everything else.
    handover_.settle(true);
    engine()->cutAllSound();
    handover_.channelsReset();
    open_ = false;
}

void BuiltinSynth::stopAudio() {
    close();
    if (!audioRunning_) return;
    audio_->stop();
    audioRunning_ = false;
    engine()->silence();
    collect();
}

bool BuiltinSynth::send(uint32_t message) {
    if (!open_) return false;
    handover_.play(message);
    return true;
}

SendResult BuiltinSynth::trySend(uint32_t message) {
    if (!open_) return SendResult::Failed;
    return handover_.tryPlay(message) ? SendResult::Sent : SendResult::Busy;
}

void BuiltinSynth::prepare(uint32_t message) {
    if (!open_ || (message & 0xF0) != 0xC0) return;
    const int channel = static_cast<int>(message & 0x0F);
    const int program = static_cast<int>((message >> 8) & 0x7F);
    // An engine offered may take over before the change is sent: it is readied too.
    SynthEngine* playing = handover_.playing();
    SynthEngine* newest = handover_.newest();
    if (playing) playing->prepare(channel, program);
    if (newest && newest != playing) newest->prepare(channel, program);
}

}  // namespace tonvel
