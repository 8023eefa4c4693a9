#include "recording/recording_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace tonvel {

namespace {

namespace fs = std::filesystem;

// A MIDI file larger than this is no recording of ours nor a sensible one to play.
constexpr std::uintmax_t kMaxFileBytes = 32u << 20;

std::string reasonOf(int error) {
    return std::strerror(error);
}

}  // namespace

std::string recordingFileName(const std::tm& when) {
    char name[64];
    std::strftime(name, sizeof name, "Tonvel %Y-%m-%d %H-%M-%S.mid", &when);
    return name;
}

std::string newRecordingPath(const std::string& folder, std::time_t now) {
    const std::string name = recordingFileName(*std::localtime(&now));
    const std::string stem = name.substr(0, name.size() - 4);
    std::string path = folder + "/" + name;
    std::error_code error;
    for (int n = 2; fs::exists(fs::symlink_status(path, error)); ++n)
        path = folder + "/" + stem + " (" + std::to_string(n) + ").mid";
    return path;
}

std::optional<std::string> saveRecording(const std::string& path,
                                         const std::vector<TimedMessage>& messages) {
    std::error_code error;
    const fs::path target(path);
    fs::create_directories(target.parent_path(), error);
    if (error)
        return "the folder " + target.parent_path().string() +
               " cannot be made: " + error.message();
    const std::string bytes = writeMidiFile(messages);
    const std::string partial = path + ".part";
    // "x": created afresh, never through a link someone placed there.
    std::FILE* out = std::fopen(partial.c_str(), "wbx");
    if (!out) return reasonOf(errno);
    const bool written =
        std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
    const int writeError = errno;
    if (std::fclose(out) != 0 || !written) {
        const int closeError = written ? errno : writeError;
        fs::remove(partial, error);
        return reasonOf(closeError);
    }
    fs::rename(partial, target, error);
    if (error) {
        const std::string reason = error.message();
        fs::remove(partial, error);
        return reason;
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
    std::error_code sizeError;
    const auto size = fs::file_size(path, sizeError);
    if (sizeError) {
        if (error) *error = sizeError.message();
        return std::nullopt;
    }
    if (size > kMaxFileBytes) {
        if (error) *error = "the file is too large";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        if (error) *error = "the file cannot be read";
        return std::nullopt;
    }
    return readMidiFile(bytes, error);
}

}  // namespace tonvel
