#include "platform/file_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>

namespace tonvel {

namespace {

constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask
constexpr int kTemporaryNameTries = 64;

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Opens a new file named after `path` that nobody else can have prepared.
int createTemporaryBeside(const std::string& path, std::string& temporary) {
    std::random_device random;
    for (int i = 0; i < kTemporaryNameTries; ++i) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".new-%08x", static_cast<unsigned>(random()));
        temporary = path + suffix;
        const int fd = ::open(temporary.c_str(), kCreateFlags, kNewFileMode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

bool createNewFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), kCreateFlags, kNewFileMode);
    if (fd < 0) return false;
    const bool written = writeAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    if (written && closed) return true;
    ::unlink(path.c_str());
    return false;
}

bool replaceFile(const std::string& path, std::string_view bytes, int* error) {
    const auto fail = [error] {
        if (error) *error = errno;
        return false;
    };
    struct stat existing {};
    const bool exists = ::lstat(path.c_str(), &existing) == 0;
    const bool regular = exists && S_ISREG(existing.st_mode);
    // Replacing the file by renaming needs only the folder's permission; keep the file's own.
    if (regular && ::access(path.c_str(), W_OK) != 0) return fail();

    std::string temporary;
    const int fd = createTemporaryBeside(path, temporary);
    if (fd < 0) return fail();
    bool ok = true;
    if (regular) ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    ok = ok && writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (!ok && error) *error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        if (error) *error = errno;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        ok = false;
        if (error) *error = errno;
    }
    if (!ok) ::unlink(temporary.c_str());
    return ok;
}

}  // namespace tonvel
