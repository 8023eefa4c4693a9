#include "midi/synth/engine_handover.h"

#include <algorithm>
#include <cmath>

namespace tonvel {

namespace {

// What an engine ringing out still hears: what ends or shapes the notes it sounds.
bool reachesRinging(uint32_t message) {
    switch (message & 0xF0) {
        case 0x90:
            return ((message >> 16) & 0x7F) == 0;
        case 0xC0:
            return false;
        default:
            return true;
    }
}

}  // namespace

EngineHandover::EngineHandover(double sampleRate, float ceiling)
    : sampleRate_(sampleRate), limiter_(ceiling, 0.08F, sampleRate) {
    for (auto& state : states_) state.store(Free);
}

EngineHandover::~EngineHandover() = default;

void EngineHandover::install(std::unique_ptr<SynthEngine> engine) {
    if (!engine || playing_.load() >= 0) return;
    for (size_t i = 0; i < kEngines; ++i) {
        if (states_[i].load() != Free) continue;
        owned_[i] = std::move(engine);
        engines_[i] = owned_[i].get();
        states_[i].store(Playing);
        playing_.store(static_cast<int>(i));
        return;
    }
}

bool EngineHandover::offer(std::unique_ptr<SynthEngine>& engine) {
    if (!engine) return false;
    for (size_t i = 0; i < kEngines; ++i) {
        State offered = Offered;
        // Whoever changes the state first has it: the thread that sends may be taking it now.
        if (states_[i].compare_exchange_strong(offered, Free)) {
            letGo_.push_back(std::move(owned_[i]));
            engines_[i] = nullptr;
        }
    }
    for (size_t i = 0; i < kEngines; ++i) {
        if (states_[i].load() != Free) continue;
        owned_[i] = std::move(engine);
        engines_[i] = owned_[i].get();
        states_[i].store(Offered);
        return true;
    }
    return false;
}

void EngineHandover::settle(bool endRinging) {
    takeOver();
    if (!endRinging) return;
    for (size_t i = 0; i < kEngines; ++i) {
        State state = states_[i].load();
        if (state != Ringing && state != Quiet) continue;
        engines_[i]->cutVoices();
        states_[i].compare_exchange_strong(state, LetGo);
    }
}

std::vector<std::unique_ptr<SynthEngine>> EngineHandover::collect() {
    std::vector<std::unique_ptr<SynthEngine>> freed = std::move(letGo_);
    letGo_.clear();
    bool waiting = false;
    for (auto& state : states_) {
        State quiet = Quiet;
        state.compare_exchange_strong(quiet, LetGo);
        waiting = waiting || state.load() == LetGo;
    }
    // Sequentially consistent, as are the threads' own marks and their looks at the states:
    // either a thread's look comes after the change to LetGo, and it leaves the engine alone, or
    // its mark is seen here, and the engine waits for the next collect.
    if (!waiting || senderInside_.load() || readersInside_.load() != 0) return freed;
    for (size_t i = 0; i < kEngines; ++i) {
        if (states_[i].load() != LetGo) continue;
        freed.push_back(std::move(owned_[i]));
        engines_[i] = nullptr;
        states_[i].store(Free);
    }
    return freed;
}

SynthEngine* EngineHandover::newest() const {
    for (size_t i = 0; i < kEngines; ++i)
        if (states_[i].load() == Offered) return owned_[i].get();
    return playing();
}

SynthEngine* EngineHandover::playing() const {
    const int index = playing_.load();
    return index < 0 ? nullptr : owned_[static_cast<size_t>(index)].get();
}

std::vector<SynthEngine*> EngineHandover::held() const {
    std::vector<SynthEngine*> engines;
    for (const auto& engine : owned_)
        if (engine) engines.push_back(engine.get());
    return engines;
}

void EngineHandover::takeOver(bool mayWait) {
    for (size_t i = 0; i < kEngines; ++i) {
        State offered = Offered;
        if (!states_[i].compare_exchange_strong(offered, Playing)) continue;
        SynthEngine& engine = *engines_[i];
        if (!mayWait && !engine.senderEnter()) {
            // Back as it was: the window's thread changes only an engine it finds offered.
            states_[i].store(Offered);
            return;
        }
        mirror_.replay([&engine](uint32_t message) { engine.play(message); }, false);
        if (!mayWait) engine.senderLeave();
        const int before = playing_.exchange(static_cast<int>(i));
        if (before >= 0) states_[static_cast<size_t>(before)].store(Ringing);
        return;
    }
}

bool EngineHandover::tryPlay(uint32_t message) {
    senderInside_.store(true);
    for (const auto& state : states_) {
        if (state.load() != Offered) continue;
        takeOver(false);
        break;
    }
    // Every engine the message reaches is entered first, so that it reaches all or none.
    std::array<SynthEngine*, kEngines> reached{};
    size_t count = 0;
    const int playing = playing_.load(std::memory_order_relaxed);
    if (playing >= 0) reached[count++] = engines_[static_cast<size_t>(playing)];
    if (reachesRinging(message)) {
        for (size_t i = 0; i < kEngines; ++i)
            if (states_[i].load() == Ringing) reached[count++] = engines_[i];
    }
    size_t entered = 0;
    while (entered < count && reached[entered]->senderEnter()) ++entered;
    const bool all = entered == count;
    if (all) {
        mirror_.note(message);
        for (size_t i = 0; i < count; ++i) reached[i]->play(message);
    }
    for (size_t i = 0; i < entered; ++i) reached[i]->senderLeave();
    senderInside_.store(false, std::memory_order_release);
    return all;
}

void EngineHandover::play(uint32_t message) {
    senderInside_.store(true);
    for (const auto& state : states_) {
        if (state.load() != Offered) continue;
        takeOver();
        break;
    }
    mirror_.note(message);
    const int playing = playing_.load(std::memory_order_relaxed);
    if (playing >= 0) engines_[static_cast<size_t>(playing)]->play(message);
    if (reachesRinging(message)) {
        for (size_t i = 0; i < kEngines; ++i)
            if (states_[i].load() == Ringing) engines_[i]->play(message);
    }
    senderInside_.store(false, std::memory_order_release);
}

void EngineHandover::mix(SynthEngine& engine, int frames, float* left, float* right, float& peak) {
    for (int done = 0; done < frames;) {
        const int chunk = std::min(frames - done, kScratchFrames);
        engine.render(chunk, scratchLeft_.data(), scratchRight_.data());
        for (int i = 0; i < chunk; ++i) {
            const auto at = static_cast<size_t>(i);
            peak = std::max({peak, std::fabs(scratchLeft_[at]), std::fabs(scratchRight_[at])});
            left[done + i] += scratchLeft_[at];
            right[done + i] += scratchRight_[at];
        }
        done += chunk;
    }
}

void EngineHandover::render(int frames, float* left, float* right) {
    readersInside_.fetch_add(1);
    int rendered = 0;
    float ignored = 0.0F;
    for (size_t i = 0; i < kEngines; ++i) {
        if (states_[i].load() != Playing) continue;
        if (rendered++ == 0) {
            engines_[i]->render(frames, left, right);
        } else {
            mix(*engines_[i], frames, left, right, ignored);
        }
    }
    if (rendered == 0) {
        std::fill_n(left, frames, 0.0F);
        std::fill_n(right, frames, 0.0F);
    }
    const auto quietFor = static_cast<int64_t>(kQuietSeconds * sampleRate_);
    for (size_t i = 0; i < kEngines; ++i) {
        State state = states_[i].load();
        if (state != Ringing) {
            quietFrames_[i] = 0;
            continue;
        }
        float peak = 0.0F;
        mix(*engines_[i], frames, left, right, peak);
        ++rendered;
        const bool silent =
            peak < kQuiet && fluid_synth_get_active_voice_count(engines_[i]->synth()) == 0;
        quietFrames_[i] = silent ? quietFrames_[i] + frames : 0;
        if (quietFrames_[i] >= quietFor) states_[i].compare_exchange_strong(state, Quiet);
    }
    // Two engines each kept below the ceiling may add up above it.
    if (rendered > 1) {
        limiter_.process(left, right, frames);
    } else {
        limiter_.reset();
    }
    readersInside_.fetch_sub(1);
}

void EngineHandover::cutVoices() {
    readersInside_.fetch_add(1);
    for (size_t i = 0; i < kEngines; ++i) {
        const State state = states_[i].load();
        if (state == Playing || state == Ringing) engines_[i]->cutVoices();
    }
    readersInside_.fetch_sub(1);
}

}  // namespace tonvel
