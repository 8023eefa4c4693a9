#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <future>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

#include "fake_rtkit.h"
#include "midi/realtime/realtime_thread.h"
#include "midi/realtime/rtkit.h"

namespace tonvel {
namespace {

using testing::FakeRtkit;

// A thread that waits until the test ends it, for its priority to be raised.
class ParkedThread {
  public:
    ParkedThread() : thread_([this] { run(); }) { id_ = started_.get_future().get(); }
    ~ParkedThread() {
        done_.set_value();
        thread_.join();
    }
    pid_t id() const { return id_; }

  private:
    void run() {
        started_.set_value(currentThreadId());
        done_.get_future().wait();
    }
    std::promise<pid_t> started_;
    std::promise<void> done_;
    pid_t id_ = 0;
    std::thread thread_;
};

bool processMaySetRealtime() {
    ParkedThread thread;
    sched_param parameters{};
    parameters.sched_priority = 1;
    return sched_setscheduler(thread.id(), SCHED_FIFO, &parameters) == 0;
}

// As a desktop user runs: no real-time limit, no capability to go past it.
void dropRealtimeRights() {
    rlimit none{0, 0};
    setrlimit(RLIMIT_RTPRIO, &none);
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) return;
    const unsigned bit = 1u << (CAP_SYS_NICE % 32);
    data[CAP_SYS_NICE / 32].effective &= ~bit;
    data[CAP_SYS_NICE / 32].permitted &= ~bit;
    syscall(SYS_capset, &header, data);
}

struct ChildReport {
    pid_t thread = 0;
    RealtimeGrant grant = RealtimeGrant::Refused;
    bool realTime = false;
    rlim_t cpuTimeLimit = 0;
};

constexpr char kChildPriority[] = "TONVEL_RAISE_CHILD";
constexpr char kChildReportFd[] = "TONVEL_RAISE_FD";

// The child's side of raiseWithoutRights, in a fresh image of this program before any test
// runs. A child forked from a process with threads (the fake rtkit's bus) may neither make
// threads nor allocate: a sanitizer's allocator then waits for ever on a lock of the parent's.
[[maybe_unused]] const bool ranAsChild = [] {
    const char* priority = std::getenv(kChildPriority);
    const char* fd = std::getenv(kChildReportFd);
    if (priority == nullptr || fd == nullptr) return false;
    dropRealtimeRights();
    ChildReport report;
    {
        ParkedThread thread;
        report.thread = thread.id();
        report.grant = raiseToRealtime(thread.id(), std::atoi(priority));
        report.realTime = runsAtRealtime(thread.id());
    }
    rlimit limit{};
    getrlimit(RLIMIT_RTTIME, &limit);
    report.cpuTimeLimit = limit.rlim_max;
    const bool written = write(std::atoi(fd), &report, sizeof report) == sizeof report;
    _exit(written ? 0 : 1);
}();

// Raises a thread's priority in a child process that has no real-time rights of its own.
ChildReport raiseWithoutRights(int priority) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {};
    // Everything the child needs is made before the fork: after it, only exec.
    std::vector<std::string> variables;
    for (char** v = environ; *v != nullptr; ++v) variables.emplace_back(*v);
    variables.push_back(std::string(kChildPriority) + "=" + std::to_string(priority));
    variables.push_back(std::string(kChildReportFd) + "=" + std::to_string(pipeEnds[1]));
    std::vector<char*> environment;
    for (std::string& v : variables) environment.push_back(v.data());
    environment.push_back(nullptr);
    // Should the child not take its part, it runs no test and reports nothing.
    char name[] = "tonvel_midi_tests";
    char noTests[] = "--gtest_filter=-*";
    char* arguments[] = {name, noTests, nullptr};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        execve("/proc/self/exe", arguments, environment.data());
        _exit(127);
    }
    close(pipeEnds[1]);
    ChildReport report;
    const bool read_ = read(pipeEnds[0], &report, sizeof report) == sizeof report;
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(read_ && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return report;
}

TEST(Realtime, AnOrdinaryThreadIsNotRealtime) {
    ParkedThread thread;
    EXPECT_FALSE(runsAtRealtime(thread.id()));
}

TEST(Realtime, AProcessWithTheRightSetsThePriorityItselfWithoutAskingRtkit) {
    if (!processMaySetRealtime()) GTEST_SKIP() << "this process may not use real-time priority";
    FakeRtkit rtkit;
    if (!rtkit.offerService()) GTEST_SKIP() << "no dbus-daemon";
    ParkedThread thread;
    EXPECT_EQ(raiseToRealtime(thread.id(), 10), RealtimeGrant::Scheduler);
    EXPECT_TRUE(runsAtRealtime(thread.id()));
    EXPECT_TRUE(rtkit.requests().empty());
}

struct RtkitCase {
    const char* name;
    bool service;
    bool refuses;
    int asked;
    RealtimeGrant grant;
    uint32_t priorityRequested;  // 0: no request reaches the service
};

class WithoutRights : public ::testing::TestWithParam<RtkitCase> {};

// Without rights of its own the process asks rtkit, within rtkit's limits.
TEST_P(WithoutRights, RtkitIsAsked) {
    const RtkitCase& c = GetParam();
    FakeRtkit rtkit;
    if (!rtkit.running()) GTEST_SKIP() << "no dbus-daemon";
    rtkit.refuse = c.refuses;
    if (c.service) {
        ASSERT_TRUE(rtkit.offerService());
    }

    const ChildReport report = raiseWithoutRights(c.asked);
    EXPECT_EQ(report.grant, c.grant);
    const auto requests = rtkit.requests();
    if (c.priorityRequested == 0) {
        EXPECT_TRUE(requests.empty());
        return;
    }
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].thread, static_cast<uint64_t>(report.thread));
    EXPECT_EQ(requests[0].priority, c.priorityRequested);
    EXPECT_LE(report.cpuTimeLimit, static_cast<rlim_t>(rtkit.maxCpuTimeUs))
        << "rtkit serves only processes with limited real-time CPU time";
    // The stand-in grants for real where this process may.
    if (c.grant == RealtimeGrant::Rtkit && processMaySetRealtime()) {
        EXPECT_TRUE(report.realTime);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Realtime, WithoutRights,
    ::testing::Values(RtkitCase{"GrantedAtItsMaximum", true, false, 60, RealtimeGrant::Rtkit, 20},
                      RtkitCase{"GrantedAsAsked", true, false, 5, RealtimeGrant::Rtkit, 5},
                      RtkitCase{"Refused", true, true, 60, RealtimeGrant::Refused, 20},
                      RtkitCase{"NoServiceOnTheBus", false, false, 60, RealtimeGrant::Refused, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Realtime, NoSystemBusMeansNoRtkit) {
    const char* saved = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const std::string restore = saved ? saved : "";
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tonvel-test-bus", 1);
    ParkedThread thread;
    EXPECT_FALSE(rtkitMakeRealtime(thread.id(), 10));
    EXPECT_FALSE(runsAtRealtime(thread.id()));
    if (saved) {
        setenv("DBUS_SYSTEM_BUS_ADDRESS", restore.c_str(), 1);
    } else {
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }
}

}  // namespace
}  // namespace tonvel
