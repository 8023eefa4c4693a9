#include "midi/jack/jack_server_socket.h"

#include <dlfcn.h>
#include <jack/jack.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

namespace tonvel {
namespace {

// PipeWire's libjack talks to PipeWire itself: it has neither a server socket of its own
// nor the database.
bool libjackIsPipeWires() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&jack_client_open), &info) == 0 || !info.dli_fname) {
        return false;
    }
    return std::string_view(info.dli_fname).find("pipewire") != std::string_view::npos;
}

}  // namespace

bool jackServerSocketIn(const std::vector<std::string>& directories, const std::string& server,
                        uid_t user) {
    const std::string name = "jack_" + server + "_" + std::to_string(user) + "_0";
    for (const auto& directory : directories) {
        struct stat status {};
        if (stat((directory + "/" + name).c_str(), &status) == 0 && S_ISSOCK(status.st_mode)) {
            return true;
        }
    }
    return false;
}

bool jackServerMayAnswer() {
    if (libjackIsPipeWires()) return true;
    const char* named = std::getenv("JACK_DEFAULT_SERVER");
    const std::string server = named != nullptr && *named != '\0' ? named : "default";
    // jackd2 keeps its sockets in /dev/shm; builds for other systems use /tmp.
    const std::vector<std::string> directories = {"/dev/shm", "/tmp"};
    // A promiscuous server, shared between users, is registered as user 0.
    return jackServerSocketIn(directories, server, getuid()) ||
           (std::getenv("JACK_PROMISCUOUS_SERVER") != nullptr &&
            jackServerSocketIn(directories, server, 0));
}

}  // namespace tonvel
