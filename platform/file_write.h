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

// As replaceFile, but only where nothing is at `path` (EEXIST otherwise, for a folder or a link
// too): a crash leaves no file or the whole of it, never a part.
bool createWholeFile(const std::string& path, std::string_view bytes, int* error = nullptr);

// Renames `from` to `to` unless anything is at `to`.
bool renameToFreeName(const std::string& from, const std::string& to, int* error = nullptr);

// Removes the file or link at `path`, never a folder.
bool removeFile(const std::string& path);

// Opens for reading and writing the regular file at `path`, made if missing with the user's
// rights only, to be held while the program runs: never a link, a pipe or a device, and never
// handed on to a program it starts (a browser would keep a lock after the program ended). -1 on
// failure.
int openHeldFile(const std::string& path);

// Whether the user may make files in `folder`: one is made there and removed.
bool canCreateFilesIn(const std::string& folder);

}  // namespace tonvel
