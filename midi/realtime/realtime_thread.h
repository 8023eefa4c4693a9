#pragma once

#include <sys/types.h>

namespace tonvel {

// How a thread came to run at real-time priority.
enum class RealtimeGrant {
    Refused,    // neither the process's rights nor rtkit allowed it
    Scheduler,  // the process may set it itself (a real-time limit or the capability)
    Rtkit,      // the desktop's broker set it, perhaps at a lower priority
};

// The calling thread's id, as the kernel knows it.
pid_t currentThreadId();

// Whether thread `tid` of this process runs under a real-time policy.
bool runsAtRealtime(pid_t tid);

// Moves thread `tid` of this process to first-in-first-out real-time scheduling at `priority`,
// itself where the process may, else through rtkit. May wait up to a second on the system bus:
// never call it from the thread whose timing matters.
RealtimeGrant raiseToRealtime(pid_t tid, int priority);

// Whether a thread of this process can be given real-time priority: tried once, on a thread
// made for the purpose, which ends at once. The answer is kept for the rest of the run.
bool realtimeAvailable();

// Lowers the calling thread below the others of the program (nice 10, batch scheduling), for
// slow work that must not take the processor from the window on a busy machine.
void lowerToBackground();

}  // namespace tonvel
