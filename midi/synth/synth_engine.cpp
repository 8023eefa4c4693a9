#include "midi/synth/synth_engine.h"

#include <algorithm>
#include <thread>

#include "midi/synth/fluid_instance.h"

namespace tonvel {

std::unique_ptr<SynthEngine> SynthEngine::create(const std::filesystem::path& soundFont,
                                                 const SynthConfig& config) {
    fluid_settings_t* settings = new_fluid_settings();
    if (settings == nullptr) return nullptr;
    fluid_settings_setnum(settings, "synth.sample-rate", config.sampleRate);
    fluid_settings_setnum(settings, "synth.gain", config.gain);
    // Without this a JACK output would be silent until connected by hand.
    fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", config.samplesOnDemand ? 1 : 0);

    const auto made = loadFluidInstance(settings, soundFont, true);
    if (!made) return nullptr;
    auto engine = std::unique_ptr<SynthEngine>(
        new SynthEngine(made->settings, made->synth, made->soundFont, soundFont, config));
    // The programs the load chose stay until a prepared one takes over from them: a change away
    // from one of them would otherwise let its samples go on the thread that sends.
    if (config.samplesOnDemand)
        for (const Program& program : engine->programsInUse()) engine->pin(program);
    return engine;
}

SynthEngine::SynthEngine(fluid_settings_t* settings, fluid_synth_t* synth, int soundFont,
                         std::filesystem::path path, const SynthConfig& config)
    : settings_(settings),
      synth_(synth),
      soundFont_(soundFont),
      path_(std::move(path)),
      samplesOnDemand_(config.samplesOnDemand),
      sampleRate_(config.sampleRate),
      limiter_(config.ceiling, 0.08F, config.sampleRate) {}

SynthEngine::WindowTurn::WindowTurn(SynthEngine& engine) : engine_(engine) {
    // Both flags sequentially consistent: either tryPlay sees this one, or it is seen here, and
    // then its call into FluidSynth, a matter of microseconds, is let finish.
    engine_.windowInside_.store(true);
    while (engine_.senderInside_.load()) std::this_thread::yield();
}

SynthEngine::WindowTurn::~WindowTurn() {
    engine_.windowInside_.store(false);
}

SynthEngine::~SynthEngine() {
    loader_.reset();
    delete_fluid_synth(synth_);
    delete_fluid_settings(settings_);
}

void SynthEngine::play(uint32_t message) {
    const int channel = message & 0x0F;
    const int data1 = (message >> 8) & 0x7F;
    const int data2 = (message >> 16) & 0x7F;
    // FluidSynth's results are not send failures (a note-off for a note that is not
    // sounding "fails"), so they are not passed on.
    switch (message & 0xF0) {
        case 0x80:
            fluid_synth_noteoff(synth_, channel, data1);
            break;
        case 0x90:
            fluid_synth_noteon(synth_, channel, data1, data2);
            if (data2 != 0) notePlayed_.store(true, std::memory_order_relaxed);
            break;
        case 0xA0:
            fluid_synth_key_pressure(synth_, channel, data1, data2);
            break;
        case 0xB0:
            fluid_synth_cc(synth_, channel, data1, data2);
            break;
        case 0xC0:
            fluid_synth_program_change(synth_, channel, data1);
            break;
        case 0xD0:
            fluid_synth_channel_pressure(synth_, channel, data1);
            break;
        case 0xE0:
            fluid_synth_pitch_bend(synth_, channel, data1 | (data2 << 7));
            break;
        default:
            break;
    }
}

bool SynthEngine::tryPlay(uint32_t message) {
    if (!senderEnter()) return false;
    play(message);
    senderLeave();
    return true;
}

bool SynthEngine::senderEnter() {
    senderInside_.store(true);
    if (!windowInside_.load()) return true;
    senderInside_.store(false);
    return false;
}

void SynthEngine::senderLeave() {
    senderInside_.store(false);
}

std::set<SynthEngine::Program> SynthEngine::programsInUse() const {
    std::set<Program> inUse;
    for (int channel = 0; channel < fluid_synth_count_midi_channels(synth_); ++channel) {
        Program program{};
        // A channel without a preset answers with SoundFont 0, which is none.
        if (fluid_synth_get_program(synth_, channel, &program.soundFont, &program.bank,
                                    &program.number) == FLUID_OK &&
            program.soundFont != 0)
            inUse.insert(program);
    }
    return inUse;
}

void SynthEngine::pin(const Program& program) {
    auto [at, added] = pinned_.try_emplace(program, 0);
    at->second = ++uses_;
    if (added) fluid_synth_pin_preset(synth_, program.soundFont, program.bank, program.number);
}

void SynthEngine::unpinStale() {
    if (pinned_.size() <= kKeptPrograms) return;
    const auto inUse = programsInUse();
    std::vector<std::pair<uint64_t, Program>> stale;
    for (const auto& [program, used] : pinned_)
        if (!inUse.contains(program)) stale.emplace_back(used, program);
    std::sort(stale.begin(), stale.end());
    // The newest stay: a change to one of them may not have reached the channel yet.
    const size_t keep = std::min(stale.size(), kKeptPrograms);
    for (size_t i = 0; i + keep < stale.size(); ++i) {
        const Program& program = stale[i].second;
        fluid_synth_unpin_preset(synth_, program.soundFont, program.bank, program.number);
        pinned_.erase(program);
    }
}

void SynthEngine::prepare(int channel, int program) {
    if (!samplesOnDemand_ || channel < 0 || channel > 15 || program < 0 || program > 127) return;
    // Channel 10 plays drum kits, which are bank 128; the window chooses from bank 0 elsewhere.
    const Program wanted{soundFont_, channel == 9 ? 128 : 0, program};
    if (pinned_.contains(wanted)) {
        pinned_[wanted] = ++uses_;
        return;
    }
    // Before the first note nothing waits on the synthesizer (the instrument chosen at the start),
    // and the loader's own copy of the SoundFont is not worth its memory yet.
    if (!loaderTried_ && notePlayed_.load(std::memory_order_relaxed)) {
        loaderTried_ = true;
        loader_ = PresetLoader::create(path_);
    }
    const bool held = loader_ && loader_->hold(wanted.bank, wanted.number);
    {
        WindowTurn turn(*this);
        pin(wanted);
        unpinStale();
    }
    if (held) loader_->release(wanted.bank, wanted.number);
}

void SynthEngine::cutAllSound() {
    WindowTurn turn(*this);
    // With samples read on demand the reset would drop the samples of every program in use and
    // read them again when the channels take their programs back, at every refresh. The
    // programs in use stay pinned in memory across it, and so do those the reset chooses.
    for (const Program& program : programsInUse()) pin(program);
    // In this order: the reset alone lets the voices ring on in their release, and it
    // is the reset that clears the reverb.
    fluid_synth_system_reset(synth_);
    fluid_synth_all_sounds_off(synth_, -1);
    for (const Program& program : programsInUse()) pin(program);
    unpinStale();
}

void SynthEngine::silence() {
    cutAllSound();
    // Both take effect in the next rendered block; render it now, into nothing, so the
    // first block after reopening is already quiet.
    renderInterleaved(256);
    limiter_.reset();
}

std::vector<float> SynthEngine::renderInterleaved(int frames) {
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    fluid_synth_write_float(synth_, frames, out.data(), 0, 2, out.data(), 1, 2);
    limiter_.processInterleaved(out.data(), frames);
    return out;
}

void SynthEngine::render(int frames, float* left, float* right) {
    fluid_synth_write_float(synth_, frames, left, 0, 1, right, 0, 1);
    limiter_.process(left, right, frames);
}

void SynthEngine::cutVoices() {
    fluid_synth_all_sounds_off(synth_, -1);
}

int SynthEngine::soundFontCount() const {
    return fluid_synth_sfcount(synth_);
}

}  // namespace tonvel
