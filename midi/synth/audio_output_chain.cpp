#include "midi/synth/audio_output_chain.h"

#include <algorithm>
#include <utility>

#include "midi/synth/fluid_audio_output.h"
#include "midi/synth/fluid_log.h"
#include "midi/synth/pipewire_output.h"
#include "midi/synth/pulse_audio_output.h"
#include "midi/synth/sound_source.h"

namespace tonvel {

AudioOutputChain::AudioOutputChain(std::vector<std::unique_ptr<AudioOutput>> outputs, bool watch)
    : outputs_(std::move(outputs)), refusals_(outputs_.size()), watching_(watch) {
    // Before any thread of ours may log: FluidSynth's log functions are the process's.
    routeFluidLog();
}

AudioOutputChain::~AudioOutputChain() {
    {
        std::lock_guard lock(wakeLock_);
        quit_ = true;
    }
    wake_.notify_one();
    if (watcher_.joinable()) watcher_.join();
    stop();
}

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

bool AudioOutputChain::start(SoundSource& source) {
    std::lock_guard work(work_);
    stopActive();
    source_ = &source;
    std::fill(refusals_.begin(), refusals_.end(), Refusal{});
    const auto now = Clock::now();
    for (size_t i = 0; i < outputs_.size(); ++i) {
        const uint64_t server = outputs_[i]->server();
        if (startOutput(i)) {
            wanted_ = true;
            nextReturnLook_ = now + kReturnPeriod;
            if (watching_ && !watcher_.joinable()) watcher_ = std::thread([this] { run(); });
            return true;
        }
        if (server != 0) refuse(i, server, now);
    }
    wanted_ = false;
    return false;
}

void AudioOutputChain::stop() {
    // A start the watcher waits on gives up rather than holding the window up.
    for (auto& output : outputs_) output->abandonStarts(true);
    {
        std::lock_guard work(work_);
        wanted_ = false;
        stopActive();
    }
    for (auto& output : outputs_) output->abandonStarts(false);
}

AudioStatus AudioOutputChain::status() const {
    std::lock_guard lock(activeLock_);
    return active_ >= 0 ? outputs_[static_cast<size_t>(active_)]->status() : AudioStatus{};
}

void AudioOutputChain::tryAgain() {
    {
        std::lock_guard lock(wakeLock_);
        tryAgain_ = true;
    }
    wake_.notify_one();
}

std::vector<OutputNews> AudioOutputChain::takeNews() {
    std::lock_guard lock(newsLock_);
    return std::exchange(news_, {});
}

void AudioOutputChain::run() {
    // A server that is away is asked again four times a second, and each refusal would otherwise
    // be printed again. What the watcher finds is told once, by itself.
    muteFluidLogOnThisThread();
    std::unique_lock lock(wakeLock_);
    while (!quit_) {
        wake_.wait_for(lock, kWatchPeriod, [this] { return quit_ || tryAgain_; });
        if (quit_) break;
        lock.unlock();
        watch(Clock::now());
        lock.lock();
    }
}

void AudioOutputChain::watch(Clock::time_point now) {
    bool again = false;
    {
        std::lock_guard lock(wakeLock_);
        again = std::exchange(tryAgain_, false);
    }
    std::lock_guard work(work_);
    if (!wanted_ || source_ == nullptr) return;
    if (again) {
        std::fill(refusals_.begin(), refusals_.end(), Refusal{});
        nextRetry_ = nextReturnLook_ = now;
    }

    if (active_ >= 0 && outputs_[static_cast<size_t>(active_)]->lost()) {
        const std::string name = outputs_[static_cast<size_t>(active_)]->serverName();
        stopActive();
        tell({"Sound : " + name + " went away",
              "the sound server went away (" + name +
                  "); the sound goes on through the next output that answers"});
        nextRetry_ = now;
    }

    if (active_ < 0) {
        if (now < nextRetry_) return;
        nextRetry_ = now + kRetryPeriod;
        for (size_t i = 0; i < outputs_.size(); ++i) {
            const uint64_t server = outputs_[i]->server();
            if (server == 0) continue;
            // Voices that sounded when the server went, and what was played while nothing
            // carried the sound, would otherwise all be heard at once. Programs and
            // controllers stay.
            source_->cutVoices();
            if (startOutput(i)) {
                tell({"Sound : through " + outputs_[i]->serverName(),
                      "the sound goes through " + outputs_[i]->serverName() + " now"});
                nextReturnLook_ = now + kReturnPeriod;
                return;
            }
            refuse(i, server, now);
        }
        return;
    }

    if (active_ == 0 || now < nextReturnLook_) return;
    nextReturnLook_ = now + kReturnPeriod;
    for (size_t i = 0; i < static_cast<size_t>(active_); ++i) {
        const uint64_t server = outputs_[i]->server();
        if (server == 0) continue;
        if (server == refusals_[i].server && now < refusals_[i].askAgain) continue;
        // The output that plays goes on until the one ahead of it runs: a server that refuses
        // leaves no gap.
        outputs_[i]->setSilent(true);
        if (!outputs_[i]->start(*source_)) {
            outputs_[i]->setSilent(false);
            refuse(i, server, now);
            continue;
        }
        stopActive();
        publish(static_cast<int>(i));
        outputs_[i]->setSilent(false);
        refusals_[i] = {};
        tell({"Sound : through " + outputs_[i]->serverName(),
              "the sound goes through " + outputs_[i]->serverName() + " again"});
        return;
    }
}

bool AudioOutputChain::startOutput(size_t index) {
    outputs_[index]->setSilent(false);
    if (!outputs_[index]->start(*source_)) return false;
    publish(static_cast<int>(index));
    return true;
}

void AudioOutputChain::stopActive() {
    int stopping = -1;
    {
        std::lock_guard lock(activeLock_);
        stopping = std::exchange(active_, -1);
    }
    if (stopping >= 0) outputs_[static_cast<size_t>(stopping)]->stop();
}

void AudioOutputChain::refuse(size_t index, uint64_t server, Clock::time_point now) {
    Refusal& refusal = refusals_[index];
    refusal.wait = refusal.server == server
                       ? std::min(std::max(refusal.wait * 2, kSecondRefusal), kLongestRefusal)
                       : kReturnPeriod;
    refusal.server = server;
    refusal.askAgain = now + refusal.wait;
}

void AudioOutputChain::publish(int index) {
    std::lock_guard lock(activeLock_);
    active_ = index;
}

void AudioOutputChain::tell(OutputNews news) {
    std::lock_guard lock(newsLock_);
    news_.push_back(std::move(news));
}

}  // namespace tonvel
