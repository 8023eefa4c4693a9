#pragma once

#include <sys/types.h>

namespace tonvel {

// Asks rtkit, the service desktops run on the system bus for exactly this, to give thread
// `tid` of this process real-time priority. rtkit caps the priority at its own maximum and
// serves only processes whose real-time CPU time is limited, so the process's RLIMIT_RTTIME is
// lowered to rtkit's limit first. False when there is no bus or no rtkit, or rtkit refuses.
bool rtkitMakeRealtime(pid_t tid, int priority);

}  // namespace tonvel
