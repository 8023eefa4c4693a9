#include "midi/input/input_signal.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace tonvel {

InputSignal::InputSignal() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

InputSignal::~InputSignal() {
    if (fd_ >= 0) ::close(fd_);
}

void InputSignal::raise() const {
    if (fd_ < 0) return;
    const uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(fd_, &one, sizeof one);
}

void InputSignal::clear() const {
    if (fd_ < 0) return;
    uint64_t count = 0;
    [[maybe_unused]] const auto read = ::read(fd_, &count, sizeof count);
}

}  // namespace tonvel
