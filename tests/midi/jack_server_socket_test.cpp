#include "midi/jack/jack_server_socket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tonvel {
namespace {

class JackServerSocket : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("tonvel-jack-socket-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        if (listener >= 0) ::close(listener);
        std::filesystem::remove_all(dir);
    }

    void listenAt(const std::string& name) {
        listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(listener, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = (dir / name).string();
        ASSERT_LT(path.size(), sizeof(address.sun_path));
        path.copy(address.sun_path, path.size());
        ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    }

    std::filesystem::path dir;
    int listener = -1;
};

TEST_F(JackServerSocket, OnlyTheServersOwnSocketForThisUserCounts) {
    listenAt("jack_studio_1000_0");
    std::ofstream(dir / "jack_plainfile_1000_0") << "not a socket";
    struct Case {
        const char* server;
        uid_t user;
        bool expected;
    };
    const Case cases[] = {
        {"studio", 1000, true},
        {"studio", 1001, false},  // someone else's server
        {"default", 1000, false},
        {"plainfile", 1000, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(jackServerSocketIn({"/nonexistent-folder", dir.string()}, c.server, c.user),
                  c.expected)
            << c.server << " " << c.user;
    }
    EXPECT_FALSE(jackServerSocketIn({}, "studio", 1000));
}

TEST(JackServerPresence, NoServerOfThatNameMeansNoLibjackCalls) {
    if (std::getenv("TONVEL_JACK_TESTS") != nullptr) GTEST_SKIP() << "a server runs";
    const char* set = std::getenv("JACK_DEFAULT_SERVER");
    const std::string previous = set != nullptr ? set : "";
    setenv("JACK_DEFAULT_SERVER", ("tonvel-absent-" + std::to_string(::getpid())).c_str(), 1);
    EXPECT_FALSE(jackServerMayAnswer());
    if (previous.empty()) {
        unsetenv("JACK_DEFAULT_SERVER");
    } else {
        setenv("JACK_DEFAULT_SERVER", previous.c_str(), 1);
    }
}

}  // namespace
}  // namespace tonvel
