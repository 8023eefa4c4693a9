#pragma once

#include <alsa/asoundlib.h>
#include <poll.h>

#include <memory>
#include <string>
#include <vector>

namespace tonvel {

// A port of the sequencer as a listing shows it.
struct AlsaPortInfo {
    snd_seq_addr_t address{};
    std::string clientName;
    std::string portName;
    unsigned capability = 0;  // SND_SEQ_PORT_CAP_*
    unsigned type = 0;        // SND_SEQ_PORT_TYPE_*
    int card = -1;            // the sound card of the port's client; -1 for none
};

// The few calls of the ALSA sequencer our input makes, on our own client with its one input
// port, which also listens to the System:Announce port.
class AlsaSequencer {
  public:
    virtual ~AlsaSequencer() = default;

    virtual snd_seq_addr_t inputPort() const = 0;
    virtual std::vector<AlsaPortInfo> ports() = 0;
    // Who is subscribed to our input port.
    virtual std::vector<snd_seq_addr_t> senders() = 0;
    virtual bool subscribe(snd_seq_addr_t sender, bool subscribed) = 0;
    // The next event that waits, without blocking; false when none does. From one thread.
    virtual bool nextEvent(snd_seq_event_t& event) = 0;
    // What to poll for input.
    virtual std::vector<pollfd> descriptors() = 0;
};

// Our client on this machine's sequencer, named `clientName`, with its port "Input"; nullptr
// when there is no sequencer.
std::unique_ptr<AlsaSequencer> openAlsaSequencer(const std::string& clientName);

}  // namespace tonvel
