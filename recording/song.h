#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "recording/midi_file.h"

namespace tonvel {

inline constexpr int kSongDrumChannel = 9;

// A piece to play along with: a Standard MIDI File read whole, or a recording.
struct Song {
    std::string name;
    std::vector<TimedMessage> messages;  // in time order
    int64_t lengthMs = 0;                // the time of the last message
    std::array<int, 16> notes{};         // note-ons on each channel
    std::array<int, 16> programs{};      // the first program each channel chooses, -1 for none
};

Song makeSong(std::string name, std::vector<TimedMessage> messages);

// Reads the MIDI file at `path` as the recordings are read; the song takes the file's name.
std::optional<Song> loadSong(const std::string& path, std::string* error);

// The part a player is offered first: the channel with the most notes, the drums' left out.
std::optional<int> busiestPart(const Song& song);

// The whole octaves, in semitones, that bring the most notes of `channel` onto the keys from
// `lowest` to `lowest + keys - 1`; the smallest such move, none when the notes fit already.
int partShift(const Song& song, int channel, int lowest, int keys = 36);

// Where `note` falls on those keys: moved by `shift`, then by whole octaves while still off them.
int noteOnKeys(int note, int shift, int lowest, int keys = 36);

// "0:42", "1:02:05".
std::string clockText(int64_t ms);

}  // namespace tonvel
