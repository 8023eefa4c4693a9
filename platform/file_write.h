#pragma once

#include <string>
#include <string_view>

namespace tonvel {

// Writing in the program directory, where anyone able to write there may have placed symbolic
// links: no link is ever followed.

// Creates the file `path` holding `bytes`. Fails, leaving everything as it was, when anything is
// already there, a link that points nowhere included.
bool createNewFile(const std::string& path, std::string_view bytes);

// Puts `bytes` at `path` in one step: they go to a fresh temporary file beside it, created
// exclusively, which is renamed over `path` once complete. A link at `path` is replaced, its
// target left alone; a file there that the user may not write stays as it is. On failure,
// `error` (when given) receives the system's error number of the step that failed.
bool replaceFile(const std::string& path, std::string_view bytes, int* error = nullptr);

}  // namespace tonvel
