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
// nor the database. Found by the library's file (pw-jack puts it first on the search path)
// and by the version it gives, which names PipeWire.
bool libjackIsPipeWires() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&jack_client_open), &info) != 0 && info.dli_fname &&
        std::string_view(info.dli_fname).find("pipewire") != std::string_view::npos)
        return true;
    const char* version = jack_get_version_string();
    return version != nullptr &&
           (std::string_view(version).find("PipeWire") != std::string_view::npos ||
            std::string_view(version).find("pipewire") != std::string_view::npos);
}

const std::vector<std::string>& socketDirectories() {
    // jackd2 keeps its sockets in /dev/shm; builds for other systems use /tmp.
    static const std::vector<std::string> directories = {"/dev/shm", "/tmp"};
    return directories;
}

std::string serverName() {
    const char* named = std::getenv("JACK_DEFAULT_SERVER");
    return named != nullptr && *named != '\0' ? named : "default";
}

}  // namespace

uint64_t socketIdentity(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode)) return 0;
    // A server started again binds a new socket: a new inode, made at another time.
    const uint64_t made = static_cast<uint64_t>(status.st_ctim.tv_sec) * 1'000'000'000U +
                          static_cast<uint64_t>(status.st_ctim.tv_nsec);
    const uint64_t identity = (static_cast<uint64_t>(status.st_ino) * 0x9E3779B97F4A7C15U) ^ made;
    return identity != 0 ? identity : 1;
}

uint64_t jackServerSocketIdentity(const std::vector<std::string>& directories,
                                  const std::string& server, uid_t user) {
    const std::string name = "jack_" + server + "_" + std::to_string(user) + "_0";
    for (const auto& directory : directories) {
        if (const uint64_t identity = socketIdentity(directory + "/" + name)) return identity;
    }
    return 0;
}

bool jackServerSocketIn(const std::vector<std::string>& directories, const std::string& server,
                        uid_t user) {
    return jackServerSocketIdentity(directories, server, user) != 0;
}

bool jackIsPipeWire() {
    static const bool pipeWire = libjackIsPipeWires();
    return pipeWire;
}

uint64_t jackServerIdentity() {
    if (jackIsPipeWire()) return 0;
    const std::string server = serverName();
    if (const uint64_t own = jackServerSocketIdentity(socketDirectories(), server, getuid()))
        return own;
    // A promiscuous server, shared between users, is registered as user 0.
    if (std::getenv("JACK_PROMISCUOUS_SERVER") != nullptr)
        return jackServerSocketIdentity(socketDirectories(), server, 0);
    return 0;
}

bool jackServerMayAnswer() {
    return jackIsPipeWire() || jackServerIdentity() != 0;
}

}  // namespace tonvel
