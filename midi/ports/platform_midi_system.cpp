#include "midi/ports/platform_midi_system.h"

#include "midi/ports/sendable_message.h"
#include "midi/synth/audio_output_chain.h"

namespace tonvel {

namespace {

SoundFontSearch searchFor(const SoundOptions& options) {
    if (options.soundFont.empty()) return SoundFontSearch::systemDefault();
    return {options.soundFont.parent_path(), {options.soundFont.filename().string()}};
}

}  // namespace

PlatformMidiSystem::PlatformMidiSystem(const SoundOptions& options)
    : PlatformMidiSystem(
          std::make_unique<BuiltinSynth>(searchFor(options),
                                         AudioOutputChain::systemDefault(options.buffering)),
          std::make_unique<SystemMidiPorts>()) {}

PlatformMidiSystem::PlatformMidiSystem(std::unique_ptr<BuiltinSynth> synth,
                                       std::unique_ptr<SystemMidiPorts> ports)
    : synth_(std::move(synth)), ports_(std::move(ports)) {}

PlatformMidiSystem::~PlatformMidiSystem() {
    close();
}

std::vector<std::string> PlatformMidiSystem::outputNames() {
    listedPorts_ = ports_->enumerate();
    std::vector<std::string> names;
    names.reserve(listedPorts_.size());
    for (const auto& port : listedPorts_) names.push_back(port.name);
    return names;
}

bool PlatformMidiSystem::open(int deviceNumber) {
    close();
    if (deviceNumber == -1) return synth_->open();
    // Another output takes over: the synthesizer's sound stream goes too.
    synth_->stopAudio();
    if (deviceNumber < 0 || static_cast<size_t>(deviceNumber) >= listedPorts_.size()) return false;
    return ports_->open(listedPorts_[deviceNumber]);
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

}  // namespace tonvel

namespace tonvel {

std::optional<std::string> PlatformMidiSystem::report() {
    const AudioStatus status = synth_->audioStatus();
    const int before = reportedPeriod_;
    reportedPeriod_ = status.periodFrames;
    if (before == 0 || status.periodFrames <= before) return std::nullopt;
    return "the sound dropped out; its buffer is now " + std::to_string(status.periodFrames) +
           " frames";
}

}  // namespace tonvel
