#include "platform/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace tonvel {

namespace {

ReadFailure failureOf(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return ReadFailure::NotFound;
        case EACCES:
        case EPERM:
            return ReadFailure::NoPermission;
        case ELOOP:
            return ReadFailure::Link;
        default:
            return ReadFailure::Other;
    }
}

}  // namespace

FileStart readFileStart(const std::string& path, size_t limit, Links links) {
    FileStart result;
    const auto fail = [&result](int error) {
        result.bytes.clear();
        result.failure = failureOf(error);
        result.error = error;
    };
    // Not blocking: a pipe placed under the file's name must not hold the program up.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK |
                                            (links == Links::Refuse ? O_NOFOLLOW : 0));
    if (fd < 0) {
        fail(errno);
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        result.failure = ReadFailure::NotAFile;
        ::close(fd);
        return result;
    }
    constexpr size_t kChunk = 64 * 1024;
    while (result.bytes.size() < limit) {
        const size_t old = result.bytes.size();
        const size_t want = std::min(kChunk, limit - old);
        result.bytes.resize(old + want);
        const ssize_t got = ::read(fd, result.bytes.data() + old, want);
        if (got < 0 && errno == EINTR) {
            result.bytes.resize(old);
            continue;
        }
        if (got < 0) {
            fail(errno);
            break;
        }
        result.bytes.resize(old + static_cast<size_t>(got));
        if (got == 0) break;
    }
    ::close(fd);
    return result;
}

}  // namespace tonvel
