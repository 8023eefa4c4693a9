#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "midi/input/alsa_sequencer.h"
#include "midi/input/input_signal.h"
#include "midi/realtime/spsc_ring.h"
#include "midi/midi_input.h"

namespace tonvel {

// What a sequencer port is to our input: no source at all (our own clients, the system, a port
// nobody may read from), or a source of software or of hardware.
enum class AlsaSourceKind { None, Software, Hardware };
AlsaSourceKind alsaSourceKind(const AlsaPortInfo& port, snd_seq_addr_t self,
                              const std::string& programName);

// Our input port on the ALSA sequencer. A reader thread turns what arrives there into input
// events, each message with the id of the port it came from, and hands them to the window
// through a lock-free ring. A source gets an id when it first subscribes or sends, and loses it
// when it goes; ids count from `firstId` to `lastId` and round again, so one that comes back
// comes back under a new id.
class AlsaMidiInput {
  public:
    AlsaMidiInput(std::unique_ptr<AlsaSequencer> seq, std::string programName,
                  const InputSignal& signal, uint16_t firstId = 1, uint16_t lastId = 0x7FFF);
    ~AlsaMidiInput();
    AlsaMidiInput(const AlsaMidiInput&) = delete;
    AlsaMidiInput& operator=(const AlsaMidiInput&) = delete;

    // From the window's thread.
    std::vector<MidiSource> sources();
    // False when no source has that name, or the sequencer refuses.
    bool connect(const std::string& name, bool connected);
    void takeEvents(std::vector<MidiInputEvent>& events);

    // The reader's work: everything the sequencer holds now, turned into events. The thread
    // calls it; tests call it themselves instead.
    void pump();
    void startReader();

  private:
    struct Listed {
        MidiSource source;
        snd_seq_addr_t address;
    };
    std::vector<Listed> list();
    void handle(const snd_seq_event_t& event);
    void hand(MidiInputEvent event);
    uint16_t idOf(snd_seq_addr_t address);
    void gone(snd_seq_addr_t address);
    void goneClient(int client);
    void readLoop();

    std::unique_ptr<AlsaSequencer> seq_;
    std::string programName_;
    const InputSignal& signal_;
    SpscRing<MidiInputEvent, 4096> ring_;
    // The reader's alone: the sources that sent or subscribed, by client << 8 | port.
    std::map<unsigned, uint16_t> ids_;
    uint16_t firstId_, lastId_, nextId_;
    bool emitted_ = false;
    std::thread reader_;
    std::atomic<bool> stopping_{false};
    int stopFd_ = -1;
};

}  // namespace tonvel
