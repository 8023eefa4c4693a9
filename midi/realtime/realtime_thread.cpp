#include "midi/realtime/realtime_thread.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <future>
#include <thread>

#include "midi/realtime/rtkit.h"

namespace tonvel {

pid_t currentThreadId() {
    return static_cast<pid_t>(::syscall(SYS_gettid));
}

void lowerToBackground() {
    // Both are per thread on Linux; either failing leaves the thread as it was, which is fine.
    sched_param param{};
    ::sched_setscheduler(0, SCHED_BATCH, &param);
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(currentThreadId()), 10);
}

bool runsAtRealtime(pid_t tid) {
    // rtkit adds the flag that keeps children of the thread from inheriting the policy.
    const int policy = ::sched_getscheduler(tid) & ~SCHED_RESET_ON_FORK;
    return policy == SCHED_FIFO || policy == SCHED_RR;
}

RealtimeGrant raiseToRealtime(pid_t tid, int priority) {
    sched_param parameters{};
    parameters.sched_priority = priority;
    if (::sched_setscheduler(tid, SCHED_FIFO, &parameters) == 0) return RealtimeGrant::Scheduler;
    return rtkitMakeRealtime(tid, priority) ? RealtimeGrant::Rtkit : RealtimeGrant::Refused;
}

namespace {

bool tryRealtimeOnAProbe() {
    std::promise<pid_t> started;
    std::promise<void> done;
    std::thread probe([&] {
        started.set_value(currentThreadId());
        done.get_future().wait();
    });
    // The lowest real-time priority: the probe must not take the processor from anyone.
    const bool raised = raiseToRealtime(started.get_future().get(), 1) != RealtimeGrant::Refused;
    done.set_value();
    probe.join();
    return raised;
}

}  // namespace

bool realtimeAvailable() {
    static const bool available = tryRealtimeOnAProbe();
    return available;
}

}  // namespace tonvel
