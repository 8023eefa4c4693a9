#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tonvel {

// Whether a JACK server may be there to answer, found without calling into libjack.
// libjack opens a shared metadata database before it looks for a server, and a client
// killed inside that leaves the database locked, so that every later client waits for
// ever. With no server to talk to there is then no reason to risk it.
bool jackServerMayAnswer();

// Whether the libjack this program runs with is PipeWire's, which always answers as a server:
// PipeWire then carries whatever a JACK client would.
bool jackIsPipeWire();

// The server's socket as a number, 0 when there is none: it changes when a server is started
// again. Without calling into libjack; with PipeWire's libjack, 0.
uint64_t jackServerIdentity();

// The check itself: a server's socket, named after the server and the user, in one of
// `directories`.
bool jackServerSocketIn(const std::vector<std::string>& directories, const std::string& server,
                        uid_t user);
// As jackServerSocketIn, the socket found as a number (see socketIdentity), or 0.
uint64_t jackServerSocketIdentity(const std::vector<std::string>& directories,
                                  const std::string& server, uid_t user);

// A number for the socket at `path`, 0 when there is no socket: it changes when a server makes
// its socket again.
uint64_t socketIdentity(const std::string& path);

}  // namespace tonvel
