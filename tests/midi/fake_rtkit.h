#pragma once

#include <sys/types.h>
#include <systemd/sd-bus.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tonvel::testing {

// A private message bus (a dbus-daemon of its own) with a stand-in for rtkit on it, which
// records every request and grants it with the real scheduler where this process may.
// The client side finds it through DBUS_SYSTEM_BUS_ADDRESS, which the bus sets and restores.
class FakeRtkit {
  public:
    struct Request {
        uint64_t thread;
        uint32_t priority;
    };

    FakeRtkit();
    ~FakeRtkit();
    FakeRtkit(const FakeRtkit&) = delete;
    FakeRtkit& operator=(const FakeRtkit&) = delete;

    // False when no dbus-daemon could be started; the tests then skip.
    bool running() const { return serving_; }
    // Offers the service on the bus (or not, to test a bus without rtkit).
    bool offerService();

    int32_t maxPriority = 20;
    int64_t maxCpuTimeUs = 200000;
    bool refuse = false;
    std::vector<Request> requests() const;

    // The service's answers, called by the bus.
    static int onMakeThreadRealtime(sd_bus_message* message, void* self, sd_bus_error* error);
    static int onMaxPriority(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                             void* self, sd_bus_error*);
    static int onMaxCpuTime(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply,
                            void* self, sd_bus_error*);

  private:
    pid_t daemon_ = -1;
    std::string address_;
    std::string savedAddress_;
    bool hadAddress_ = false;
    sd_bus* bus_ = nullptr;
    std::thread loop_;
    std::atomic<bool> stopping_{false};
    bool serving_ = false;
    mutable std::mutex lock_;
    std::vector<Request> requests_;
};

}  // namespace tonvel::testing
