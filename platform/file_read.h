#pragma once

#include <cstddef>
#include <string>

namespace tonvel {

enum class ReadFailure { None, NotFound, NoPermission, NotAFile, Other };

struct FileStart {
    std::string bytes;
    ReadFailure failure = ReadFailure::None;
};

// At most `limit` bytes from the start of the regular file at `path`. Anything else (a folder,
// a pipe, a device) fails without blocking.
FileStart readFileStart(const std::string& path, size_t limit);

}  // namespace tonvel
