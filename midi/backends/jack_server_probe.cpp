#include "midi/backends/jack_server_probe.h"

#include <rtmidi/RtMidi.h>

#include <exception>

#include "midi/backends/jack_autostart.h"
#include "midi/backends/jack_server_socket.h"

namespace tonvel {
namespace {

void noteWarning(RtMidiError::Type type, const std::string&, void* answered) {
    if (type == RtMidiError::WARNING) *static_cast<bool*>(answered) = false;
}

}  // namespace

// RtMidi 5.0's JACK output allocates two ring buffers at every connection attempt and
// loses them when the attempt fails, so it must only be created once a server is known
// to be there. Its JACK input allocates nothing when it cannot connect: asking it again
// with an error callback in place tells whether the connection works.
bool jackServerRunning(const std::string& clientName) {
    preventJackServerAutostart();
    if (!jackServerMayAnswer()) return false;
    bool answered = true;
    try {
        RtMidiIn probe(RtMidi::UNIX_JACK, clientName);
        probe.setErrorCallback(&noteWarning, &answered);
        probe.getPortCount();
    } catch (const std::exception&) {
        return false;
    }
    return answered;
}

}  // namespace tonvel
