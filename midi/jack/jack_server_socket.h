#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tonvel {

// Whether a JACK server may be there to answer, found without calling into libjack.
// libjack opens a shared metadata database before it looks for a server, and a client
// killed inside that leaves the database locked, so that every later client waits for
// ever. With no server to talk to there is then no reason to risk it.
bool jackServerMayAnswer();

// The check itself: a server's socket, named after the server and the user, in one of
// `directories`.
bool jackServerSocketIn(const std::vector<std::string>& directories, const std::string& server,
                        uid_t user);

}  // namespace tonvel
