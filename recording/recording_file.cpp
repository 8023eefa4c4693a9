#include "recording/recording_file.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/file_read.h"
#include "platform/file_write.h"

namespace tonvel {

namespace {

namespace fs = std::filesystem;

// A MIDI file larger than this is no recording of ours nor a sensible one to play.
constexpr size_t kMaxFileBytes = 32u << 20;

std::string reasonOf(int error) {
    return std::strerror(error);
}

}  // namespace

std::string recordingFileName(const std::tm& when) {
    char name[64];
    std::strftime(name, sizeof name, "Tonvel %Y-%m-%d %H-%M-%S.mid", &when);
    return name;
}

std::string numberedPath(const std::string& path, int n) {
    if (n < 2) return path;
    const fs::path original(path);
    fs::path numbered = original;
    numbered.replace_filename(original.stem().string() + " (" + std::to_string(n) + ")" +
                              original.extension().string());
    return numbered.string();
}

std::string newRecordingPath(const std::string& folder, std::time_t now) {
    const std::string first = folder + "/" + recordingFileName(*std::localtime(&now));
    std::string path = first;
    std::error_code error;
    for (int n = 2; fs::exists(fs::symlink_status(path, error)); ++n) path = numberedPath(first, n);
    return path;
}

std::optional<std::string> saveRecording(const std::string& path,
                                         const std::vector<TimedMessage>& messages, int* error) {
    std::error_code made;
    const fs::path target(path);
    fs::create_directories(target.parent_path(), made);
    if (made) {
        if (error) *error = made.value();
        return "the folder " + target.parent_path().string() + " cannot be made: " + made.message();
    }
    int failure = 0;
    if (!createWholeFile(path, writeMidiFile(messages), &failure)) {
        if (error) *error = failure;
        return reasonOf(failure);
    }
    return std::nullopt;
}

std::optional<std::string> newestRecording(const std::string& folder) {
    std::error_code error;
    std::optional<fs::path> newest;
    fs::file_time_type newestTime{};
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (!entry.is_regular_file(error) || entry.path().extension() != ".mid") continue;
        const auto time = entry.last_write_time(error);
        if (error) continue;
        if (!newest || time > newestTime || (time == newestTime && entry.path() > *newest)) {
            newest = entry.path();
            newestTime = time;
        }
    }
    if (!newest) return std::nullopt;
    return newest->string();
}

std::optional<std::vector<TimedMessage>> loadRecording(const std::string& path,
                                                       std::string* error) {
    // One byte more than allowed tells a file that is too large.
    const FileStart file = readFileStart(path, kMaxFileBytes + 1);
    const char* why = file.failure == ReadFailure::NotFound       ? "the file is not there"
                      : file.failure == ReadFailure::NoPermission ? "the file may not be read"
                      : file.failure == ReadFailure::NotAFile     ? "it is not a file"
                      : file.failure != ReadFailure::None         ? "the file cannot be read"
                      : file.bytes.size() > kMaxFileBytes         ? "the file is too large"
                                                                  : nullptr;
    if (why) {
        if (error) *error = why;
        return std::nullopt;
    }
    return readMidiFile(file.bytes, error);
}

}  // namespace tonvel
