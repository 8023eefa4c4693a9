#include "midi/ports/platform_midi_system.h"

#include <algorithm>

#include "midi/ports/sendable_message.h"
#include "midi/synth/audio_output_chain.h"

namespace tonvel {

namespace {

SoundFontSearch searchFor(const SoundOptions& options) {
    if (options.soundFont.empty()) return SoundFontSearch::systemDefault();
    return {options.soundFont.parent_path(), {options.soundFont.filename().string()}};
}

}  // namespace

PlatformMidiSystem::PlatformMidiSystem(const SoundOptions& options) {
    auto chain = AudioOutputChain::systemDefault(options.buffering);
    chain_ = chain.get();
    synth_ = std::make_unique<BuiltinSynth>(searchFor(options), std::move(chain));
    choice_ = std::make_unique<SoundFontChoice>(*synth_, options.soundFont);
    ports_ = std::make_unique<SystemMidiPorts>();
}

PlatformMidiSystem::PlatformMidiSystem(std::unique_ptr<BuiltinSynth> synth,
                                       std::unique_ptr<SystemMidiPorts> ports,
                                       AudioOutputChain* chain)
    : synth_(std::move(synth)),
      choice_(std::make_unique<SoundFontChoice>(*synth_, std::filesystem::path())),
      ports_(std::move(ports)),
      chain_(chain) {}

PlatformMidiSystem::~PlatformMidiSystem() {
    close();
}

std::vector<std::string> PlatformMidiSystem::outputNames() {
    listedPorts_ = ports_->enumerate();
    // The port in use stays on the list while its client is away, so that it is still the
    // one chosen, and is used again when it comes back.
    if (inUse_ && inUseGone_ &&
        std::none_of(listedPorts_.begin(), listedPorts_.end(),
                     [&](const SystemMidiPort& port) { return port.name == inUse_->name; }))
        listedPorts_.push_back(*inUse_);
    std::vector<std::string> names;
    names.reserve(listedPorts_.size());
    for (const auto& port : listedPorts_) names.push_back(port.name);
    return names;
}

bool PlatformMidiSystem::open(int deviceNumber) {
    close();
    if (deviceNumber == -1) {
        inUse_.reset();
        inUseGone_ = toldGone_ = false;
        return synth_->open();
    }
    // Another output takes over: the synthesizer's sound stream goes too.
    synth_->stopAudio();
    if (deviceNumber < 0 || static_cast<size_t>(deviceNumber) >= listedPorts_.size()) return false;
    const SystemMidiPort port = listedPorts_[static_cast<size_t>(deviceNumber)];
    const bool same = inUse_ && inUse_->name == port.name;
    if (!ports_->open(port, same && inUseGone_)) return false;
    if (!same) toldGone_ = false;
    inUse_ = port;
    inUseGone_ = ports_->waitingForPort();
    return true;
}

void PlatformMidiSystem::close() {
    synth_->close();
    ports_->close();
}

bool PlatformMidiSystem::sendShortMessage(uint32_t message) {
    return trySend(message) == SendResult::Sent;
}

void PlatformMidiSystem::prepare(uint32_t message) {
    synth_->prepare(message);
}

SendResult PlatformMidiSystem::trySend(uint32_t message) {
    return trySendAt(message, std::chrono::steady_clock::now());
}

SendResult PlatformMidiSystem::trySendAt(uint32_t message,
                                         std::chrono::steady_clock::time_point due) {
    if (!isSendableShortMessage(message)) return SendResult::Failed;
    if (synth_->isOpen()) return synth_->trySend(message);
    const auto bytes = packedBytes(message);
    return ports_->send(bytes.data(), bytes.size, due);
}

std::optional<std::string> PlatformMidiSystem::report() {
    const AudioStatus status = synth_->audioStatus();
    const int before = reportedPeriod_;
    const bool sameDriver = status.driver == reportedDriver_;
    reportedPeriod_ = status.periodFrames;
    reportedDriver_ = status.driver;
    // Another server carrying the sound has a period of its own.
    if (before == 0 || !sameDriver || status.periodFrames <= before) return std::nullopt;
    return "the sound dropped out; its buffer is now " + std::to_string(status.periodFrames) +
           " frames";
}

std::vector<OutputNews> PlatformMidiSystem::news() {
    std::vector<OutputNews> news;
    if (chain_ != nullptr) news = chain_->takeNews();
    if (!inUse_ || !ports_->isOpen()) return news;
    ports_->watch();
    inUseGone_ = ports_->waitingForPort();
    if (inUseGone_ == toldGone_) return news;
    toldGone_ = inUseGone_;
    const std::string& name = inUse_->name;
    if (inUseGone_)
        news.push_back({"Gone : " + name, "the MIDI port " + name +
                                              " went away; it is used again when it comes back"});
    else
        news.push_back({"Back : " + name, "the MIDI port " + name + " is back and used again"});
    return news;
}

}  // namespace tonvel
