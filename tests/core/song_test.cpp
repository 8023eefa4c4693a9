#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "midi/midi_system.h"
#include "recording/song_player.h"

namespace tonvel {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

std::shared_ptr<const Song> songFile(const std::string& name) {
    std::string error;
    auto song = loadSong(std::string(TONVEL_TEST_DATA) + "/songs/" + name, &error);
    EXPECT_TRUE(song) << name << ": " << error;
    return std::make_shared<const Song>(song ? std::move(*song) : Song{});
}

uint32_t on(int channel, int note, int velocity) {
    return packMessage(0x90 | channel, note, velocity);
}

// Files written by other programs; the times worked out by hand from each file's tempo map.
TEST(SongFiles, ReadWithTheirTempoChanges) {
    struct Case {
        const char* file;
        int64_t lengthMs;
        int busiest;
        int notes;
        std::vector<TimedMessage> somewhere;
    };
    const Case cases[] = {
        // 120 beats a minute, then 240 from 2 s: tick 2400 is 2250 ms.
        {"tempo_change_f0.mid",
         2500,
         0,
         3,
         {{0, on(0, 60, 100)}, {500, on(1, 43, 90)}, {2000, 0x2B81}, {2250, on(0, 64, 100)}}},
        // 666666 us a quarter at 480 ticks: tick 961 is 1334.7 ms.
        {"reel_f1.mid", 5333, 0, 13, {{1, on(0, 62, 105)}, {1335, on(1, 57, 95)}}},
        // 2.5 ms a tick, 1.25 from tick 360, 4.17 from tick 480; the drums are never a part.
        {"tempo_changes_f1.mid",
         2800,
         2,
         4,
         {{975, on(2, 69, 0)}, {1050, on(2, 71, 80)}, {2050, on(2, 72, 80)}, {2800, on(9, 38, 0)}}},
    };
    for (const Case& c : cases) {
        const auto song = songFile(c.file);
        EXPECT_EQ(song->lengthMs, c.lengthMs) << c.file;
        EXPECT_EQ(busiestPart(*song), c.busiest) << c.file;
        EXPECT_EQ(song->notes[static_cast<size_t>(c.busiest)], c.notes) << c.file;
        for (const TimedMessage& m : c.somewhere)
            EXPECT_NE(std::find(song->messages.begin(), song->messages.end(), m),
                      song->messages.end())
                << c.file << " at " << m.ms;
    }
}

// Played tick by tick as the timer would, each message leaves at its time over the speed.
TEST(SongPlayerTiming, EveryMessageLeavesAtItsTimeOverTheSpeed) {
    for (const char* file : {"tempo_change_f0.mid", "reel_f1.mid", "tempo_changes_f1.mid"}) {
        const auto song = songFile(file);
        for (const double speed : {0.5, 1.0, 1.37, 2.0}) {
            const Clock::time_point start{std::chrono::hours(1)};
            SongPlayer player(song, start, speed);
            std::vector<std::pair<double, uint32_t>> sent;
            Clock::time_point now = start;
            for (int guard = 0; !player.finished() && guard < 1000; ++guard) {
                for (uint32_t m : player.due(now))
                    sent.push_back(
                        {std::chrono::duration<double, std::milli>(now - start).count(), m});
                if (const auto next = player.nextDue()) now = *next;
            }
            ASSERT_EQ(sent.size(), song->messages.size()) << file;
            for (size_t i = 0; i < sent.size(); ++i) {
                EXPECT_EQ(sent[i].second, song->messages[i].message) << file;
                EXPECT_NEAR(sent[i].first, song->messages[i].ms / speed, 0.5) << file << speed;
            }
        }
    }
}

// Wait for Me: the song holds at each note of the part until a hand plays it.
TEST(WaitForMe, TheRightNoteMovesTheSongOnAndAWrongOneDoesNot) {
    struct Press {
        int atMs;  // from the start, on the clock
        int note;
    };
    struct Case {
        const char* what;
        const char* file;
        int part;
        std::vector<Press> presses;
        std::vector<int> awaitedAtEnd;  // at 10 s
        int sentBesidesThePart;
    };
    const Case cases[] = {
        {"nothing played: waits at the first note", "tempo_change_f0.mid", 0, {}, {60}, 1},
        {"a wrong key", "tempo_change_f0.mid", 0, {{100, 61}}, {60}, 1},
        {"the right key, then waits at the next", "tempo_change_f0.mid", 0, {{100, 60}}, {62}, 1},
        {"played just before the song gets there",
         "tempo_change_f0.mid",
         0,
         {{100, 60}, {550, 62}},
         {64},
         3},
        {"each note in turn to the end",
         "tempo_change_f0.mid",
         0,
         {{100, 60}, {700, 62}, {5000, 64}},
         {},
         3},
        // Bass notes 50 and 57 are moved up an octave onto the keys from 54; a MIDI keyboard
        // may play them where they are written.
        {"a part moved onto the keys", "reel_f1.mid", 1, {{100, 62}, {1800, 57}}, {62}, 17},
    };
    for (const Case& c : cases) {
        const auto song = songFile(c.file);
        const Clock::time_point start{std::chrono::hours(1)};
        SongPlayer player(song, start, 1.0, c.part, 54);
        int sent = 0;
        size_t press = 0;
        for (int ms = 0; ms <= 10000; ++ms) {
            const auto now = start + milliseconds(ms);
            if (press < c.presses.size() && c.presses[press].atMs == ms)
                player.played(c.presses[press++].note, now);
            for (uint32_t m : player.due(now)) {
                if ((m & 0xE0) == 0x80) {
                    EXPECT_NE(static_cast<int>(m & 0x0F), c.part) << c.what << ": the part sounded";
                }
                ++sent;
            }
        }
        EXPECT_EQ(player.awaited(), c.awaitedAtEnd) << c.what;
        EXPECT_EQ(sent, c.sentBesidesThePart) << c.what;
    }
}

// Over long random songs: whatever is played, the song never sounds the part, never sends a
// message twice or out of order, and a note played for every awaited one brings it to its end.
TEST(WaitForMe, RandomSongsKeepTheirOrderAndEnd) {
    std::mt19937 random(7);
    for (int round = 0; round < 50; ++round) {
        std::vector<TimedMessage> messages;
        for (int i = 0; i < 200; ++i) {
            const int channel = static_cast<int>(random() % 4),
                      note = 30 + static_cast<int>(random() % 70);
            const int at = static_cast<int>(random() % 20000);
            messages.push_back({at, on(channel, note, 90)});
            messages.push_back(
                {at + static_cast<int>(random() % 500), packMessage(0x80 | channel, note, 0)});
        }
        auto song = std::make_shared<const Song>(makeSong("random", messages));
        const int part = static_cast<int>(random() % 4);
        Clock::time_point now{std::chrono::hours(1)};
        SongPlayer player(song, now, 1.0, part, 50 + static_cast<int>(random() % 12));
        std::vector<uint32_t> sent;
        for (int step = 0; step < 100000 && !player.finished(); ++step) {
            now += milliseconds(1 + random() % 30);
            if (player.waiting()) {
                const auto awaited = player.awaited();
                // Mostly right, sometimes wrong.
                player.played(random() % 4 ? awaited[random() % awaited.size()] : 20, now);
            }
            for (uint32_t m : player.due(now)) sent.push_back(m);
        }
        ASSERT_TRUE(player.finished()) << round;
        std::vector<uint32_t> expected;
        for (const auto& m : song->messages)
            if (static_cast<int>(m.message & 0x0F) != part) expected.push_back(m.message);
        EXPECT_EQ(sent, expected) << round;
    }
}

}  // namespace
}  // namespace tonvel
