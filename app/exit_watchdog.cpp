#include "app/exit_watchdog.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace tonvel {

namespace {

int requests[2] = {-1, -1};

// True for a request, false when the pipe is gone.
bool awaitRequest(int fd, int timeoutMs) {
    pollfd ready{.fd = fd, .events = POLLIN, .revents = 0};
    while (true) {
        const int count = ::poll(&ready, 1, timeoutMs);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        char byte;
        return ::read(fd, &byte, 1) == 1;
    }
}

void watch(int fd, std::chrono::milliseconds grace) {
    if (!awaitRequest(fd, -1)) return;
    const auto deadline = std::chrono::steady_clock::now() + grace;
    for (auto left = grace; left.count() > 0;
         left = std::chrono::duration_cast<std::chrono::milliseconds>(
             deadline - std::chrono::steady_clock::now())) {
        if (awaitRequest(fd, static_cast<int>(left.count()))) break;
    }
    ::_exit(0);
}

}  // namespace

void startExitWatchdog(std::chrono::milliseconds grace) {
    if (requests[0] >= 0 || ::pipe2(requests, O_CLOEXEC) != 0) return;
    // A signal handler must never block on a full pipe; one byte there is as good as many.
    ::fcntl(requests[1], F_SETFL, O_NONBLOCK);
    std::thread(watch, requests[0], grace).detach();
}

void requestExit() noexcept {
    if (requests[1] < 0) return;
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(requests[1], &byte, 1);
    errno = saved;
}

}  // namespace tonvel
