// How late a thread wakes up on this machine: sleeps to absolute times one millisecond apart for
// SECONDS and reports how late each wake-up came (median, 99th and 99.9th percentile, maximum).
// At real-time priority where the process may have it, as an audio thread would run. A sound
// buffer shorter than the longest lateness drops out, whatever the program does.
//   tonvel_wakeup_latency SECONDS
#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr long kPeriodNs = 1'000'000;

long nanosecondsOf(const timespec& t) {
    return t.tv_sec * 1'000'000'000L + t.tv_nsec;
}

double percentile(const std::vector<long>& sorted, double p) {
    return static_cast<double>(
               sorted[static_cast<size_t>(p * static_cast<double>(sorted.size() - 1))]) /
           1000.0;
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    sched_param priority{};
    priority.sched_priority = 60;
    const bool realTime = pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority) == 0;

    const auto wakeUps = static_cast<size_t>(seconds * 1e9 / kPeriodNs);
    std::vector<long> late;
    late.reserve(wakeUps);
    timespec next{};
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (size_t i = 0; i < wakeUps; ++i) {
        long due = nanosecondsOf(next) + kPeriodNs;
        next.tv_sec = due / 1'000'000'000L;
        next.tv_nsec = due % 1'000'000'000L;
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr);
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        late.push_back(nanosecondsOf(now) - due);
    }
    std::sort(late.begin(), late.end());
    std::printf("%s: median %.0f us, p99 %.0f us, p99.9 %.0f us, max %.0f us\n",
                realTime ? "real-time thread" : "ordinary thread", percentile(late, 0.5),
                percentile(late, 0.99), percentile(late, 0.999), percentile(late, 1.0));
    return 0;
}
