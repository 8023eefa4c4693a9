#include "recording/song.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "recording/recording_file.h"

namespace tonvel {

namespace {

bool isNoteOn(uint32_t message) {
    return (message & 0xF0) == 0x90 && ((message >> 16) & 0x7F) != 0;
}

}  // namespace

Song makeSong(std::string name, std::vector<TimedMessage> messages) {
    Song song;
    song.name = std::move(name);
    song.programs.fill(-1);
    std::stable_sort(messages.begin(), messages.end(),
                     [](const TimedMessage& a, const TimedMessage& b) { return a.ms < b.ms; });
    for (const auto& timed : messages) {
        const auto channel = static_cast<size_t>(timed.message & 0x0F);
        if (isNoteOn(timed.message)) ++song.notes[channel];
        if ((timed.message & 0xF0) == 0xC0 && song.programs[channel] < 0)
            song.programs[channel] = static_cast<int>((timed.message >> 8) & 0x7F);
    }
    song.lengthMs = messages.empty() ? 0 : std::max<int64_t>(messages.back().ms, 0);
    song.messages = std::move(messages);
    return song;
}

std::optional<Song> loadSong(const std::string& path, std::string* error) {
    auto messages = loadRecording(path, error);
    if (!messages) return std::nullopt;
    return makeSong(std::filesystem::path(path).stem().string(), std::move(*messages));
}

std::optional<int> busiestPart(const Song& song) {
    std::optional<int> busiest;
    for (int channel = 0; channel < 16; ++channel) {
        if (channel == kSongDrumChannel || song.notes[static_cast<size_t>(channel)] == 0) continue;
        if (!busiest ||
            song.notes[static_cast<size_t>(channel)] > song.notes[static_cast<size_t>(*busiest)])
            busiest = channel;
    }
    return busiest;
}

int partShift(const Song& song, int channel, int lowest, int keys) {
    std::array<int, 128> count{};
    for (const auto& timed : song.messages)
        if (isNoteOn(timed.message) && static_cast<int>(timed.message & 0x0F) == channel)
            ++count[(timed.message >> 8) & 0x7F];
    int best = 0, bestFitting = -1;
    for (const int octaves : {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, 7, -7, 8, -8}) {
        int fitting = 0;
        for (int note = 0; note < 128; ++note) {
            const int moved = note + 12 * octaves;
            if (moved >= lowest && moved < lowest + keys)
                fitting += count[static_cast<size_t>(note)];
        }
        if (fitting > bestFitting) {
            bestFitting = fitting;
            best = 12 * octaves;
        }
    }
    return best;
}

int noteOnKeys(int note, int shift, int lowest, int keys) {
    int moved = note + shift;
    while (moved < lowest) moved += 12;
    while (moved >= lowest + keys) moved -= 12;
    return moved;
}

std::string clockText(int64_t ms) {
    const int64_t seconds = std::max<int64_t>(ms, 0) / 1000;
    const auto two = [](int64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    if (seconds >= 3600)
        return std::to_string(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" +
               two(seconds % 60);
    return std::to_string(seconds / 60) + ":" + two(seconds % 60);
}

}  // namespace tonvel
