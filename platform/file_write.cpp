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

// Writes `bytes` to a new temporary file beside `path`, complete and on disk, and hands its name
// to `publish`; the temporary is gone afterwards whatever happened.
template <typename Publish>
bool writeBeside(const std::string& path, std::string_view bytes, const mode_t* mode, int* error,
                 Publish publish) {
    std::string temporary;
    const int fd = createTemporaryBeside(path, temporary);
    if (fd < 0) {
        if (error) *error = errno;
        return false;
    }
    bool ok = true;
    if (mode) ok = ::fchmod(fd, *mode) == 0;
    ok = ok && writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (!ok && error) *error = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        if (error) *error = errno;
    }
    if (ok && !publish(temporary)) {
        ok = false;
        if (error) *error = errno;
    }
    if (!ok) ::unlink(temporary.c_str());
    return ok;
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
    struct stat existing {};
    const bool exists = ::lstat(path.c_str(), &existing) == 0;
    const bool regular = exists && S_ISREG(existing.st_mode);
    // Replacing the file by renaming needs only the folder's permission; keep the file's own.
    if (regular && ::access(path.c_str(), W_OK) != 0) {
        if (error) *error = errno;
        return false;
    }
    const mode_t mode = existing.st_mode & 07777;
    return writeBeside(path, bytes, regular ? &mode : nullptr, error,
                       [&path](const std::string& temporary) {
                           return ::rename(temporary.c_str(), path.c_str()) == 0;
                       });
}

bool createWholeFile(const std::string& path, std::string_view bytes, int* error) {
    return writeBeside(path, bytes, nullptr, error, [&path](const std::string& temporary) {
        return renameToFreeName(temporary, path);
    });
}

bool renameToFreeName(const std::string& from, const std::string& to, int* error) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    // Some file systems cannot rename so; a hard link refuses a taken name as well.
    if (errno == EINVAL || errno == ENOSYS) {
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return true;
        }
    }
    if (error) *error = errno;
    return false;
}

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

int openHeldFile(const std::string& path) {
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

bool canCreateFilesIn(const std::string& folder) {
    std::string probe;
    const int fd = createTemporaryBeside(folder + "/.tonvel-write-test", probe);
    if (fd < 0) return false;
    ::close(fd);
    ::unlink(probe.c_str());
    return true;
}

}  // namespace tonvel
