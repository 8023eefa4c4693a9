#include "app/display_hold.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "fakes/scoped_environment.h"

namespace tonvel {
namespace {

// Sets DISPLAY and QT_QPA_PLATFORM for one test and puts them back afterwards.
class DisplayHoldTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::system("command -v Xvfb >/dev/null 2>&1") != 0)
            GTEST_SKIP() << "Xvfb is not installed (scripts/setup.sh --tests installs it)";
        display = ":" + std::to_string(300 + ::getpid() % 300);
        displayVariable.emplace("DISPLAY", display.c_str());
        platformVariable.emplace("QT_QPA_PLATFORM", "xcb");
    }
    void TearDown() override {
        if (server > 0) {
            ::kill(server, SIGTERM);
            ::waitpid(server, nullptr, 0);
        }
        displayVariable.reset();
        platformVariable.reset();
    }
    // Starts an X server on the test's display after `delayMs`.
    void startServerAfter(int delayMs) {
        server = ::fork();
        if (server == 0) {
            ::usleep(static_cast<useconds_t>(delayMs) * 1000);
            ::execlp("Xvfb", "Xvfb", display.c_str(), "-nolisten", "tcp",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }

    std::optional<testing::ScopedEnvironment> displayVariable, platformVariable;
    std::string display;
    pid_t server = -1;
};

TEST_F(DisplayHoldTest, WaitsForADisplayThatIsNotAnsweringYet) {
    // As while a server resets after its last client left.
    startServerAfter(700);
    const DisplayHold hold(10000);
    EXPECT_TRUE(hold.holding());
}

TEST_F(DisplayHoldTest, GivesUpOnADisplayThatNeverAnswersAndLeavesOtherPlatformsAlone) {
    const DisplayHold absent(300);
    EXPECT_FALSE(absent.holding());

    startServerAfter(0);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const DisplayHold offscreen(3000);
    EXPECT_FALSE(offscreen.holding()) << "no X11 connection for another platform";
}

}  // namespace
}  // namespace tonvel
