#include "midi/realtime/rtkit.h"

#include <sys/resource.h>
#include <systemd/sd-bus.h>

#include <algorithm>
#include <cstdint>

namespace tonvel {

namespace {

constexpr char kService[] = "org.freedesktop.RealtimeKit1";
constexpr char kPath[] = "/org/freedesktop/RealtimeKit1";
constexpr uint64_t kCallTimeoutUs = 1'000'000;

// A bus connection that is closed however the request ends.
class SystemBus {
  public:
    SystemBus() {
        if (sd_bus_open_system(&bus_) < 0) bus_ = nullptr;
        if (bus_) sd_bus_set_method_call_timeout(bus_, kCallTimeoutUs);
    }
    ~SystemBus() { sd_bus_flush_close_unref(bus_); }
    SystemBus(const SystemBus&) = delete;
    SystemBus& operator=(const SystemBus&) = delete;
    sd_bus* get() const { return bus_; }

  private:
    sd_bus* bus_ = nullptr;
};

template <typename T>
bool readProperty(sd_bus* bus, const char* name, char type, T& value) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int result =
        sd_bus_get_property_trivial(bus, kService, kPath, kService, name, &error, type, &value);
    sd_bus_error_free(&error);
    return result >= 0;
}

bool limitRealtimeCpuTime(int64_t maximumUs) {
    if (maximumUs <= 0) return false;
    rlimit limit{};
    if (getrlimit(RLIMIT_RTTIME, &limit) != 0) return false;
    const auto maximum = static_cast<rlim_t>(maximumUs);
    if (limit.rlim_max != RLIM_INFINITY && limit.rlim_max <= maximum) return true;
    limit.rlim_cur = limit.rlim_max = maximum;
    return setrlimit(RLIMIT_RTTIME, &limit) == 0;
}

}  // namespace

bool rtkitMakeRealtime(pid_t tid, int priority) {
    SystemBus bus;
    if (!bus.get()) return false;
    int32_t maximumPriority = 0;
    int64_t maximumCpuTimeUs = 0;
    if (!readProperty(bus.get(), "MaxRealtimePriority", 'i', maximumPriority) ||
        !readProperty(bus.get(), "RTTimeUSecMax", 'x', maximumCpuTimeUs) || maximumPriority < 1)
        return false;
    if (!limitRealtimeCpuTime(maximumCpuTimeUs)) return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int result = sd_bus_call_method(
        bus.get(), kService, kPath, kService, "MakeThreadRealtime", &error, nullptr, "tu",
        static_cast<uint64_t>(tid), static_cast<uint32_t>(std::min(priority, maximumPriority)));
    sd_bus_error_free(&error);
    return result >= 0;
}

}  // namespace tonvel
