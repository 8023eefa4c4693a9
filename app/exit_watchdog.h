#pragma once

#include <chrono>

namespace tonvel {

// Makes sure a request to end the program (a signal, the end of the session) ends it, whatever
// the main thread is waiting on: `grace` after the first request the process ends with status 0,
// and a second request ends it at once. The settings are written first thing at the end, well
// within the grace.
void startExitWatchdog(std::chrono::milliseconds grace);

// Safe in a signal handler. Does nothing before startExitWatchdog.
void requestExit() noexcept;

}  // namespace tonvel
