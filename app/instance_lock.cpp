#include "app/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/file_write.h"

namespace tonvel {

namespace {

bool isAbsolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

// A folder, not a link, owned by this user, that no one else may read, write or enter.
bool isPrivateFolder(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

}  // namespace

std::optional<std::string> instanceLockFolder(const char* runtimeDir, const char* tempDir) {
    if (isAbsolute(runtimeDir) && isPrivateFolder(runtimeDir)) return std::string(runtimeDir);
    // A shared temporary folder: another account may have taken the name first, which the
    // ownership test turns away.
    const std::string base = isAbsolute(tempDir) ? tempDir : "/tmp";
    const std::string folder = base + "/tonvel-" + std::to_string(::geteuid());
    ::mkdir(folder.c_str(), 0700);
    if (isPrivateFolder(folder)) return folder;
    return std::nullopt;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

bool InstanceLock::acquire() {
    if (fd_ >= 0) return true;
    const auto folder = instanceLockFolder(std::getenv("XDG_RUNTIME_DIR"), std::getenv("TMPDIR"));
    if (!folder) return true;
    path_ = *folder + "/tonvel.lock";
    const int fd = openHeldFile(path_);
    if (fd < 0) {
        path_.clear();
        return true;
    }
    int locked;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const bool heldElsewhere = errno == EWOULDBLOCK;
        ::close(fd);
        if (!heldElsewhere) path_.clear();
        return !heldElsewhere;
    }
    fd_ = fd;
    // Only for whoever looks: the holder's process id.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd_, 0) == 0 && ::write(fd_, pid.data(), pid.size()) < 0) {
        // The lock holds without it.
    }
    return true;
}

}  // namespace tonvel
