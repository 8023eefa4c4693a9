#include "recording/midi_file.h"

#include <gtest/gtest.h>

#include <string>

namespace tonvel {
namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

std::string chunk(const std::string& kind, const std::string& body) {
    const auto n = static_cast<uint32_t>(body.size());
    return kind +
           bytes({static_cast<int>(n >> 24), static_cast<int>((n >> 16) & 0xFF),
                  static_cast<int>((n >> 8) & 0xFF), static_cast<int>(n & 0xFF)}) +
           body;
}

std::string header(int format, int tracks, int division) {
    return chunk("MThd", bytes({0, format, 0, tracks, (division >> 8) & 0xFF, division & 0xFF}));
}

TEST(MidiFile, WhatIsWrittenReadsBackToTheMillisecond) {
    const std::vector<TimedMessage> played = {
        {0, 0x0000B0},       {0, 0x0020B0},     {0, 0x12C0},         {1, 0x7F3690},
        {127, 0x7F2499},     {128, 0x002489},   {16383, 0x7F2C99},   {16384, 0x003680},
        {2097152, 0x3C4590}, {2097153, 0x4590}, {3600000, 0x5A07B0},
    };
    std::string error;
    const auto read = readMidiFile(writeMidiFile(played), &error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(*read, played);
}

TEST(MidiFile, TheFileStartsWithItsHeaderAndTempo) {
    const std::string file = writeMidiFile({{0, 0x12C0}});
    EXPECT_EQ(file.substr(0, 14), header(0, 1, 500));
    EXPECT_EQ(file.substr(14, 4), "MTrk");
    // Tempo 500000 us a quarter, the track's name, the program, the end.
    EXPECT_EQ(file.substr(22),
              bytes({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x03, 0x06, 'T',
                     'o',  'n',  'v',  'e',  'l',  0x00, 0xC0, 0x12, 0x00, 0xFF, 0x2F, 0x00}));
}

// Files made by other programs: two tracks, running status, a tempo change, a system exclusive
// and meta events to skip, note-ons at velocity 0.
TEST(MidiFile, ReadsOtherProgramsFilesOfFormatOne) {
    const std::string tempoTrack =
        chunk("MTrk", bytes({0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,        // 1 s a quarter
                             0x83, 0x60, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // at 480: 0.5 s
                             0x00, 0xFF, 0x2F, 0x00}));
    const std::string notes =
        chunk("MTrk", bytes({0x00, 0xF0, 0x03, 0x7E, 0x09, 0xF7,  // a system exclusive
                             0x00, 0xFF, 0x01, 0x02, 'h',  'i',   // a text
                             0x00, 0x90, 0x3C, 0x64,              // at 0
                             0x83, 0x60, 0x3C, 0x00,              // at 480: running status
                             0x83, 0x60, 0xC1, 0x05,              // at 960
                             0x00, 0xFF, 0x2F, 0x00}));
    const std::string file = header(1, 2, 480) + tempoTrack + chunk("XFIL", "junk") + notes;
    std::string error;
    const auto read = readMidiFile(file, &error);
    ASSERT_TRUE(read) << error;
    const std::vector<TimedMessage> expected = {{0, 0x643C90}, {1000, 0x003C90}, {1500, 0x05C1}};
    EXPECT_EQ(*read, expected);
}

TEST(MidiFile, FramesPerSecondTiming) {
    // 25 frames of 40 ticks: a tick is a millisecond.
    const std::string file =
        header(0, 1, 0xE728) +
        chunk("MTrk", bytes({0x81, 0x48, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}));
    const auto read = readMidiFile(file, nullptr);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, (std::vector<TimedMessage>{{200, 0x403C90}}));
}

TEST(MidiFile, RefusesWhatIsNotAPlayableFile) {
    const std::string endOfTrack = bytes({0x00, 0xFF, 0x2F, 0x00});
    struct Case {
        const char* what;
        std::string file;
    };
    const std::vector<Case> cases = {
        {"empty", ""},
        {"not a MIDI file", "RIFF....WAVEfmt "},
        {"header cut short", "MThd" + bytes({0, 0, 0, 6, 0, 0})},
        {"format 2", header(2, 1, 96) + chunk("MTrk", endOfTrack)},
        {"no timing", header(0, 1, 0) + chunk("MTrk", endOfTrack)},
        {"no track", header(0, 1, 96)},
        {"track longer than the file",
         header(0, 1, 96) + "MTrk" + bytes({0, 0, 1, 0}) + endOfTrack},
        {"a note cut short", header(0, 1, 96) + chunk("MTrk", bytes({0x00, 0x90, 0x3C}))},
        {"running status with none before",
         header(0, 1, 96) + chunk("MTrk", bytes({0x00, 0x3C, 0x40}) + endOfTrack)},
        {"a data byte above 127",
         header(0, 1, 96) + chunk("MTrk", bytes({0x00, 0x90, 0x3C, 0x90}) + endOfTrack)},
        {"a delta longer than four bytes",
         header(0, 1, 96) + chunk("MTrk", bytes({0x81, 0x81, 0x81, 0x81, 0x01}) + endOfTrack)},
        {"a tempo of zero",
         header(0, 1, 96) + chunk("MTrk", bytes({0x00, 0xFF, 0x51, 0x03, 0, 0, 0}) + endOfTrack)},
        {"a system message inside a track",
         header(0, 1, 96) + chunk("MTrk", bytes({0x00, 0xF8}) + endOfTrack)},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(readMidiFile(c.file, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

TEST(MidiFile, ABoundOnItsMessages) {
    std::vector<TimedMessage> many(20, TimedMessage{0, 0x7F3C90});
    std::string error;
    EXPECT_FALSE(readMidiFile(writeMidiFile(many), &error, 10));
    EXPECT_TRUE(readMidiFile(writeMidiFile(many), &error, 20));
}

}  // namespace
}  // namespace tonvel
