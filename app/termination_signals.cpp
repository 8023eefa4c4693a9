#include "app/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <csignal>

#include "app/exit_watchdog.h"

namespace tonvel {

namespace {

int signalPipe[2] = {-1, -1};
constexpr std::array<int, 3> kSignals = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onTerminationSignal(int number) {
    // Counted here rather than on the event loop, which may be the thing that is stuck.
    requestExit();
    const int saved = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal)
    : onSignal_(std::move(onSignal)) {
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals)
        if (::sigaction(number, &action, nullptr) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char drained[16];
        while (::read(signalPipe[0], drained, sizeof drained) > 0) {
        }
        if (onSignal_) onSignal_();
    });
}

TerminationSignals::~TerminationSignals() {
    if (!notifier_) return;
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int number : kSignals) ::sigaction(number, &action, nullptr);
}

}  // namespace tonvel
