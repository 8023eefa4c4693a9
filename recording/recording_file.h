#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "recording/midi_file.h"

namespace tonvel {

// The name of a recording made at local time `when`: "Tonvel 2026-12-09 16-40-05.mid".
std::string recordingFileName(const std::tm& when);

// `path` with " (n)" before its extension, for n of 2 and more: "take (2).mid".
std::string numberedPath(const std::string& path, int n);

// Where a recording made now goes in `folder`: its dated name, with " (2)", " (3)"... added
// when a file of that name is there already.
std::string newRecordingPath(const std::string& folder, std::time_t now);

// Saves `messages` as a new MIDI file at `path` in one step, creating its folder if needed.
// Gives the reason when it fails; nothing is left half-written then, and nothing already at
// `path` is touched (its reason then is EEXIST's, when `error` is given).
std::optional<std::string> saveRecording(const std::string& path,
                                         const std::vector<TimedMessage>& messages,
                                         int* error = nullptr);

// The newest MIDI file in `folder`, if there is one.
std::optional<std::string> newestRecording(const std::string& folder);

// Reads the MIDI file at `path`; the reason in `error` when it cannot.
std::optional<std::vector<TimedMessage>> loadRecording(const std::string& path, std::string* error);

}  // namespace tonvel
