#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/input/alsa_midi_input.h"
#include "midi/input/alsa_sequencer.h"
#include "midi/input/input_signal.h"
#include "midi/input/jack_midi_in.h"
#include "midi/midi_input.h"

namespace tonvel {

// Our MIDI input port on the ALSA sequencer and, when a JACK server runs, on JACK: sources of
// the sequencer first, then those of JACK. A system that is not there has no sources. Never
// throws.
class PlatformMidiInput : public MidiInput {
  public:
    explicit PlatformMidiInput(const std::string& programName = "Tonvel");
    // With the sequencer given (none for nullptr), and JACK only when asked for.
    PlatformMidiInput(std::unique_ptr<AlsaSequencer> sequencer, const std::string& programName,
                      bool withJack);
    ~PlatformMidiInput() override;

    std::vector<MidiSource> sources() override;
    bool connect(const std::string& name, bool connected) override;
    void poll(std::vector<MidiInputEvent>& events) override;

    // Readable while events wait (an eventfd); read it empty before calling poll(). -1 when the
    // system gave none.
    int eventDescriptor() const { return signal_.descriptor(); }

  private:
    InputSignal signal_;
    std::unique_ptr<AlsaMidiInput> alsa_;
    std::unique_ptr<JackMidiIn> jack_;
};

}  // namespace tonvel
