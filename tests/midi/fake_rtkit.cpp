#include "fake_rtkit.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

extern char** environ;

namespace tonvel::testing {

namespace {

constexpr char kService[] = "org.freedesktop.RealtimeKit1";
constexpr char kPath[] = "/org/freedesktop/RealtimeKit1";

// Starts dbus-daemon with the session policy (anyone may own any name) on a socket of its own;
// its first line of output is the address.
pid_t startDaemon(std::string& address) {
    int out[2];
    if (pipe(out) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"dbus-daemon", "--session", "--nofork", "--print-address=1", nullptr};
    pid_t pid = -1;
    if (posix_spawnp(&pid, "dbus-daemon", &actions, nullptr, const_cast<char**>(argv), environ) !=
        0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (pid > 0) {
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') address += c;
    }
    close(out[0]);
    if (pid > 0 && address.empty()) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

const sd_bus_vtable* serviceTable();

}  // namespace

FakeRtkit::FakeRtkit() {
    daemon_ = startDaemon(address_);
    if (daemon_ < 0) return;
    if (const char* saved = std::getenv("DBUS_SYSTEM_BUS_ADDRESS")) {
        hadAddress_ = true;
        savedAddress_ = saved;
    }
    setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
    if (sd_bus_new(&bus_) < 0) return;
    sd_bus_set_address(bus_, address_.c_str());
    sd_bus_set_bus_client(bus_, 1);
    if (sd_bus_start(bus_) < 0) return;
    serving_ = true;
}

FakeRtkit::~FakeRtkit() {
    stopping_ = true;
    if (loop_.joinable()) loop_.join();
    sd_bus_flush_close_unref(bus_);
    if (daemon_ > 0) {
        kill(daemon_, SIGTERM);
        waitpid(daemon_, nullptr, 0);
    }
    if (hadAddress_) {
        setenv("DBUS_SYSTEM_BUS_ADDRESS", savedAddress_.c_str(), 1);
    } else {
        unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }
}

bool FakeRtkit::offerService() {
    if (!serving_) return false;
    if (sd_bus_add_object_vtable(bus_, nullptr, kPath, kService, serviceTable(), this) < 0 ||
        sd_bus_request_name(bus_, kService, 0) < 0)
        return false;
    loop_ = std::thread([this] {
        while (!stopping_) {
            if (sd_bus_process(bus_, nullptr) > 0) continue;
            sd_bus_wait(bus_, 20'000);
        }
    });
    return true;
}

std::vector<FakeRtkit::Request> FakeRtkit::requests() const {
    std::lock_guard guard(lock_);
    return requests_;
}

int FakeRtkit::onMakeThreadRealtime(sd_bus_message* message, void* self, sd_bus_error* error) {
    auto* fake = static_cast<FakeRtkit*>(self);
    uint64_t thread = 0;
    uint32_t priority = 0;
    if (sd_bus_message_read(message, "tu", &thread, &priority) < 0)
        return sd_bus_error_set(error, SD_BUS_ERROR_INVALID_ARGS, "bad arguments");
    {
        std::lock_guard guard(fake->lock_);
        fake->requests_.push_back({thread, priority});
    }
    if (fake->refuse) return sd_bus_error_set(error, SD_BUS_ERROR_ACCESS_DENIED, "refused");
    sched_param parameters{};
    parameters.sched_priority = static_cast<int>(priority);
    // As rtkit does; where this process lacks the right the grant is recorded only.
    sched_setscheduler(static_cast<pid_t>(thread), SCHED_RR | SCHED_RESET_ON_FORK, &parameters);
    return sd_bus_reply_method_return(message, "");
}

int FakeRtkit::onMaxPriority(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                             void* self, sd_bus_error*) {
    return sd_bus_message_append(reply, "i", static_cast<FakeRtkit*>(self)->maxPriority);
}

int FakeRtkit::onMaxCpuTime(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                            void* self, sd_bus_error*) {
    return sd_bus_message_append(reply, "x", static_cast<FakeRtkit*>(self)->maxCpuTimeUs);
}

namespace {

const sd_bus_vtable* serviceTable() {
    static const sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD("MakeThreadRealtime", "tu", "", &FakeRtkit::onMakeThreadRealtime,
                      SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_PROPERTY("MaxRealtimePriority", "i", &FakeRtkit::onMaxPriority, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("RTTimeUSecMax", "x", &FakeRtkit::onMaxCpuTime, 0,
                        SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_VTABLE_END};
    return table;
}

}  // namespace

}  // namespace tonvel::testing
