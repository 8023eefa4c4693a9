#pragma once

#include <cstddef>
#include <string>

namespace tonvel {

enum class ReadFailure { None, NotFound, NoPermission, NotAFile, Link, Other };

struct FileStart {
    std::string bytes;
    ReadFailure failure = ReadFailure::None;
    int error = 0;  // the system's error number, when it gave one
};

enum class Links { Follow, Refuse };

// At most `limit` bytes from the start of the regular file at `path`. Anything else (a folder,
// a pipe, a device) fails without blocking; so does a symbolic link at `path` when `links` says
// so.
FileStart readFileStart(const std::string& path, size_t limit, Links links = Links::Follow);

}  // namespace tonvel
