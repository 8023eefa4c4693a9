#include "app/exit_watchdog.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

namespace tonvel {
namespace {

// A child that stands for a program stuck at its end: it would end by itself, with status 3,
// only after 3 s.
int exitStatusOfStuckChild(std::chrono::milliseconds grace, int requests) {
    const pid_t child = ::fork();
    if (child == 0) {
        startExitWatchdog(grace);
        for (int i = 0; i < requests; ++i) requestExit();
        ::sleep(3);
        ::_exit(3);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST(ExitWatchdog, ARequestEndsTheProcessAfterTheGraceAndASecondAtOnce) {
    struct Case {
        const char* what;
        std::chrono::milliseconds grace;
        int requests;
        int status;
    };
    const Case cases[] = {
        {"no request: it ends by itself", std::chrono::milliseconds(100), 0, 3},
        {"one request, a short grace", std::chrono::milliseconds(100), 1, 0},
        {"two requests, a grace longer than the child lives", std::chrono::minutes(1), 2, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(exitStatusOfStuckChild(c.grace, c.requests), c.status) << c.what;
}

}  // namespace
}  // namespace tonvel
