#include "midi/input/platform_midi_input.h"

#include <algorithm>

namespace tonvel {

PlatformMidiInput::PlatformMidiInput(const std::string& programName)
    : PlatformMidiInput(openAlsaSequencer(programName), programName, true) {}

PlatformMidiInput::PlatformMidiInput(std::unique_ptr<AlsaSequencer> sequencer,
                                     const std::string& programName, bool withJack) {
    if (sequencer) {
        alsa_ = std::make_unique<AlsaMidiInput>(std::move(sequencer), programName, signal_);
        alsa_->startReader();
    }
    if (withJack) jack_ = std::make_unique<JackMidiIn>(programName, signal_);
}

PlatformMidiInput::~PlatformMidiInput() = default;

std::vector<MidiSource> PlatformMidiInput::sources() {
    std::vector<MidiSource> all;
    if (alsa_) all = alsa_->sources();
    if (jack_) {
        auto more = jack_->sources();
        all.insert(all.end(), std::make_move_iterator(more.begin()),
                   std::make_move_iterator(more.end()));
    }
    return all;
}

bool PlatformMidiInput::connect(const std::string& name, bool connected) {
    if (alsa_) {
        const auto listed = alsa_->sources();
        if (std::any_of(listed.begin(), listed.end(),
                        [&](const MidiSource& source) { return source.name == name; }))
            return alsa_->connect(name, connected);
    }
    return jack_ && jack_->connect(name, connected);
}

void PlatformMidiInput::poll(std::vector<MidiInputEvent>& events) {
    if (alsa_) alsa_->takeEvents(events);
    if (jack_) jack_->takeEvents(events);
}

}  // namespace tonvel
