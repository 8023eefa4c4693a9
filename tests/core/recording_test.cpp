#include <algorithm>
#include <filesystem>
#include <functional>
#include <limits>

#include "fakes/piano_fixture.h"
#include "recording/midi_file.h"
#include "recording/recording_file.h"

namespace tonvel {
namespace {

namespace fs = std::filesystem;

constexpr int kCtrlKey = 17, R = 'R', P = 'P', Z = 'Z', M = 'M', kKeypad2 = 98;
constexpr int kF1 = 112, kF5 = 116, kF9 = 120;

class Recording : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        midi.names = {"Port A"};
        start();
        piano->recordingsDirectory = (dir / "Music" / "Tonvel").string();
        piano->homeDirectory = dir.string();
        midi.clearSent();
    }
    void ctrl(int key) {
        piano->keyPressed(kCtrlKey, kCtrlMask);
        piano->keyPressed(key, kCtrlMask);
        piano->keyReleased(key, kCtrlMask);
        piano->keyReleased(kCtrlKey, 0);
    }
    // Ctrl+P, then the timer's first tick: the recording's time 0, a moment later.
    void play() {
        ctrl(P);
        ASSERT_TRUE(piano->tmrPlay.enabled);
        piano->tmrPlay_Timer();
    }
    void down(int key) { piano->keyPressed(key, 0); }
    void up(int key) { piano->keyReleased(key, 0); }
    void at(int ms) { clock.time = startTime + std::chrono::milliseconds(ms); }
    std::vector<fs::path> recordings() const {
        std::vector<fs::path> found;
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(dir / "Music" / "Tonvel", ignored))
            found.push_back(entry.path());
        return found;
    }
    std::string fileBytes(const fs::path& path) const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    // A short performance: the piano, a pad, a bank key, two rhythm steps, a note held at the end.
    void perform() {
        at(0);
        ctrl(R);
        at(250), down(Z);
        at(500), down(kKeypad2);
        at(620), up(kKeypad2);
        at(750), up(Z);
        at(800), down(kF1), up(kF1);
        at(1000), down(kF5), up(kF5);
        at(1115), piano->tmrBeat_Timer();
        at(1230), piano->tmrBeat_Timer();
        at(1300), down(kF9), up(kF9);
        at(1400), down(M);
        at(1500), ctrl(R);
    }
    std::chrono::steady_clock::time_point startTime = clock.time;
};

// The golden file: any change in what a recording holds or how it is written shows here.
TEST_F(Recording, AScriptedPerformanceMakesTheReferenceFile) {
    perform();
    const auto files = recordings();
    ASSERT_EQ(files.size(), 1u);
    const std::string golden = std::string(TONVEL_TEST_DATA) + "/performance.mid";
    if (std::getenv("TONVEL_WRITE_GOLDEN"))
        std::ofstream(golden, std::ios::binary) << fileBytes(files[0]);
    EXPECT_EQ(fileBytes(files[0]), fileBytes(golden));
}

TEST_F(Recording, TheFileHoldsWhatWasSentWithItsTimes) {
    perform();
    const auto files = recordings();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].filename().string().rfind("Tonvel ", 0), 0u);
    EXPECT_EQ(files[0].extension(), ".mid");
    std::string error;
    const auto read = loadRecording(files[0].string(), &error);
    ASSERT_TRUE(read) << error;
    const std::vector<TimedMessage> expected = {
        // The instrument in use opens the file.
        {0, 0x0000B0},
        {0, 0x0020B0},
        {0, 0x12C0},
        {250, 0x7F3690},
        {500, 0x7F2499},
        {620, 0x002489},
        {750, 0x003680},
        // F1 selects its bank's program, then refreshes, which sends it again.
        {800, 0x0000B0},
        {800, 0x0020B0},
        {800, 0x12C0},
        {800, 0x0000B0},
        {800, 0x0020B0},
        {800, 0x12C0},
        {1115, 0x7F2C99},
        {1230, 0x7F2C99},
        {1400, 0x7F4190},
        // What still sounds ends at the stop: the held key and the hi-hat.
        {1500, 0x004180},
        {1500, 0x002C89},
    };
    EXPECT_EQ(*read, expected);
    EXPECT_EQ(piano->PCap.caption, "Saved : ~/Music/Tonvel/" + files[0].filename().string());
    // Nothing was sent for the held key: it still sounds on the device.
    EXPECT_EQ(midi.sentHex().back(), "90 41 7F");
}

TEST_F(Recording, TheWindowShowsARecordingInProgress) {
    ctrl(R);
    EXPECT_TRUE(piano->shpRec.visible);
    EXPECT_TRUE(piano->lblRec.visible);
    EXPECT_EQ(piano->PCap.caption, "Recording : ON");
    piano->lblOver_MouseDown(2, 0, 10, 10);
    ASSERT_FALSE(dialogs.menus.empty());
    const auto& items = dialogs.menus.back().menu.children;
    const std::vector<std::pair<std::string, bool>> expected = {{"mnu_Rsep3", false},
                                                                {"mnu_Rrecord", true},
                                                                {"mnu_Rplay", false},
                                                                {"mnu_Rrecfolder", false}};
    const auto first = std::find_if(items.begin(), items.end(),
                                    [](const MenuItem& m) { return m.name == "mnu_Rsep3"; });
    ASSERT_GE(items.end() - first, static_cast<long>(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(first[static_cast<long>(i)].name, expected[i].first);
        EXPECT_EQ(first[static_cast<long>(i)].checked, expected[i].second) << expected[i].first;
    }
    ctrl(R);
    EXPECT_FALSE(piano->shpRec.visible);
}

TEST_F(Recording, PlaybackKeepsTheOriginalTiming) {
    perform();
    midi.clearSent();
    at(2000);
    ctrl(P);
    // Nothing leaves with the key: the first messages keep the timer's grid too.
    EXPECT_TRUE(midi.sent.empty());
    EXPECT_EQ(piano->tmrPlay.interval, 20);
    piano->tmrPlay_Timer();
    EXPECT_TRUE(piano->tmrPlay.enabled);
    // Tick the timer as the front end would, each tick at its interval after the last; what is
    // due at once leaves with the key.
    std::vector<std::pair<int, std::vector<std::string>>> ticks = {{0, midi.sentHex()}};
    int elapsed = 0;
    for (int guard = 0; piano->tmrPlay.enabled && guard < 100; ++guard) {
        elapsed += piano->tmrPlay.interval;
        midi.clearSent();
        piano->tmrPlay_Timer();
        ticks.push_back({elapsed, midi.sentHex()});
    }
    const std::vector<std::pair<int, std::vector<std::string>>> expected = {
        {0, {"B0 00 00", "B0 20 00", "C0 12"}},
        {250, {"90 36 7F"}},
        {500, {"99 24 7F"}},
        {620, {"89 24 00"}},
        {750, {"80 36 00"}},
        {800, {"B0 00 00", "B0 20 00", "C0 12", "B0 00 00", "B0 20 00", "C0 12"}},
        {1115, {"99 2C 7F"}},
        {1230, {"99 2C 7F"}},
        {1400, {"90 41 7F"}},
        // The end: the file's last note-offs, then the keys' instrument again.
        {1500, {"80 41 00", "89 2C 00", "B0 00 00", "B0 20 00", "C0 12"}},
    };
    EXPECT_EQ(ticks, expected);
    EXPECT_FALSE(piano->tmrPlay.enabled);
    // At its end nothing that waits to leave is dropped: the last messages are among it.
    EXPECT_TRUE(midi.drops.empty());
}

TEST_F(Recording, StoppingAPlaybackEndsWhatItPlays) {
    perform();
    play();                                              // the program
    for (int i = 0; i < 2; ++i) piano->tmrPlay_Timer();  // Z, the pad
    midi.clearSent();
    ctrl(P);
    EXPECT_FALSE(piano->tmrPlay.enabled);
    // What the timer handed over ahead is dropped before the note-offs leave.
    ASSERT_EQ(midi.drops.size(), 1u);
    EXPECT_EQ(midi.drops[0].first, &piano->tmrPlay);
    EXPECT_EQ(midi.drops[0].second, 0u);
    EXPECT_EQ(midi.sentHex(),
              (std::vector<std::string>{"80 36 00", "89 24 00", "B0 00 00", "B0 20 00", "C0 12"}));
    EXPECT_EQ(piano->PCap.caption, "Playing Recording : OFF");
}

TEST_F(Recording, ADeviceChangeOrTheExitStopsAPlayback) {
    perform();
    for (int which = 0; which < 2; ++which) {
        play();
        piano->tmrPlay_Timer();  // Z sounds
        midi.clearSent();
        if (which == 0) {
            piano->mnuDevice_Click(1);
            EXPECT_EQ(midi.sentHexTo(-1).front(), "80 36 00");
        } else {
            piano->Form_Unload();
            EXPECT_EQ(midi.sentHex().front(), "80 36 00");
        }
        EXPECT_FALSE(piano->tmrPlay.enabled);
    }
}

TEST_F(Recording, TheExitSavesARecordingInProgress) {
    ctrl(R);
    down(Z);
    piano->Form_Unload();
    ASSERT_EQ(recordings().size(), 1u);
    const auto read = loadRecording(recordings()[0].string(), nullptr);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->back().message, 0x003680u) << "the held key ends in the file";
}

TEST_F(Recording, WithoutARecordingOfThisRunTheNewestFileInTheFolderPlays) {
    fs::create_directories(dir / "Music" / "Tonvel");
    std::ofstream(dir / "Music" / "Tonvel" / "older.mid", std::ios::binary)
        << writeMidiFile({{0, 0x7F3090}});
    std::ofstream(dir / "Music" / "Tonvel" / "notes.txt") << "not a recording";
    fs::last_write_time(dir / "Music" / "Tonvel" / "older.mid",
                        fs::file_time_type::clock::now() - std::chrono::hours(1));
    std::ofstream(dir / "Music" / "Tonvel" / "newer.mid", std::ios::binary)
        << writeMidiFile({{0, 0x7F4090}});
    play();
    const auto sent = midi.sentHex();
    EXPECT_NE(std::find(sent.begin(), sent.end(), "90 40 7F"), sent.end());
    EXPECT_EQ(std::find(sent.begin(), sent.end(), "90 30 7F"), sent.end());
}

TEST_F(Recording, NothingToPlayOrAnUnreadableFileIsSaid) {
    ctrl(P);
    EXPECT_EQ(piano->PCap.caption, "No Recording to Play");
    EXPECT_FALSE(piano->tmrPlay.enabled);

    fs::create_directories(dir / "Music" / "Tonvel");
    std::ofstream(dir / "Music" / "Tonvel" / "broken.mid", std::ios::binary) << "MThd broken";
    ctrl(P);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.rfind("Unable to Play the Recording!!\r", 0), 0u);
    EXPECT_FALSE(piano->tmrPlay.enabled);
}

// A folder that cannot be made (here a file stands where it should be): the message says so,
// the recording still plays from memory, and nothing else changes.
TEST_F(Recording, AFailedSaveSaysWhyAndKeepsTheRecordingToPlay) {
    std::ofstream(dir / "Music") << "a file, not a folder";
    at(0), ctrl(R);
    at(100), down(Z);
    at(200), up(Z);
    at(300), ctrl(R);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.rfind("Unable to Save the Recording!!\r", 0), 0u);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(piano->PCap.caption, "Recording : NOT SAVED");
    EXPECT_EQ(readFile("Music"), "a file, not a folder");
    midi.clearSent();
    play();
    piano->tmrPlay_Timer();
    EXPECT_EQ(midi.sentHex().back(), "90 36 7F");
}

// A file's tempo can stretch one delta time to weeks, beyond what the timer counts: the wait is
// taken in steps and the message leaves exactly at its time, never early.
TEST_F(Recording, AWaitLongerThanTheTimerCountsIsTakenInSteps) {
    // One tick per quarter note, the slowest tempo, then the longest delta time.
    const std::string track =
        std::string("\x00\xFF\x51\x03\xFF\xFF\xFF", 7) + std::string("\x00\x90\x3C\x7F", 4) +
        std::string("\xFF\xFF\xFF\x7F\x80\x3C\x00", 7) + std::string("\x00\xFF\x2F\x00", 4);
    const std::string file = std::string("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x01", 14) +
                             "MTrk" + std::string("\x00\x00\x00", 3) +
                             static_cast<char>(track.size()) + track;
    fs::create_directories(dir / "Music" / "Tonvel");
    std::ofstream(dir / "Music" / "Tonvel" / "slow.mid", std::ios::binary) << file;
    const auto messages = loadRecording((dir / "Music" / "Tonvel" / "slow.mid").string(), nullptr);
    ASSERT_TRUE(messages && messages->size() == 2u);
    const int64_t wait = (*messages)[1].ms - (*messages)[0].ms;
    ASSERT_GT(wait, int64_t{std::numeric_limits<int>::max()} * 2);

    play();
    ASSERT_EQ(midi.sentHex(), std::vector<std::string>{"90 3C 7F"});
    midi.clearSent();
    int64_t elapsed = 0;
    for (int guard = 0; piano->tmrPlay.enabled && midi.sent.empty() && guard < 5000; ++guard) {
        ASSERT_GT(piano->tmrPlay.interval, 0);
        elapsed += piano->tmrPlay.interval;
        piano->tmrPlay_Timer();
    }
    EXPECT_EQ(elapsed, wait);
    ASSERT_FALSE(midi.sent.empty());
    EXPECT_EQ(midi.sentHex().front(), "80 3C 00");
}

// The program ends with a recording in progress and a recordings folder that cannot be made.
class RecordingAtAnEndWithoutAFolder : public Recording {
  protected:
    void SetUp() override {
        Recording::SetUp();
        std::ofstream(dir / "Music") << "a file, not a folder";
    }
    // `meanwhile` runs at each send or close of the end.
    void endWhileRecording(std::function<void()> meanwhile = {}) {
        at(0), ctrl(R);
        at(100), down(Z);
        midi.onSendOrClose = std::move(meanwhile);
        piano->Form_QueryUnload();
        piano->Form_Unload();
    }
    void restart() {
        start();
        piano->recordingsDirectory = (dir / "Music" / "Tonvel").string();
        piano->homeDirectory = dir.string();
    }
};

// No one may be there to answer a box: the recording waits beside the settings instead, and
// the settings are written before anything that may wait on the output.
TEST_F(RecordingAtAnEndWithoutAFolder, ShowsNoBoxKeepsTheRecordingAndTheSettingsComeFirst) {
    piano->state.bankPrograms[2] = 77;
    std::vector<std::string> settingsMeanwhile;
    endWhileRecording([&] { settingsMeanwhile.push_back(readFile("con_set.dat")); });
    EXPECT_TRUE(dialogs.messages.empty());
    const std::string settings = readFile("con_set.dat");
    EXPECT_NE(settings.find("77"), std::string::npos);
    ASSERT_FALSE(settingsMeanwhile.empty());
    for (const auto& seen : settingsMeanwhile) EXPECT_EQ(seen, settings);
    const auto kept = loadRecording((dir / "unsaved recording.mid").string(), nullptr);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->back(), (TimedMessage{100, 0x003680u})) << "the held key ends in the file";
}

TEST_F(RecordingAtAnEndWithoutAFolder, ARecordingNotSavedEarlierIsKeptToo) {
    at(0), ctrl(R);
    at(100), ctrl(R);
    ASSERT_EQ(dialogs.messages.size(), 1u) << "Ctrl+R still says it could not save";
    piano->Form_QueryUnload();
    piano->Form_Unload();
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(loadRecording((dir / "unsaved recording.mid").string(), nullptr));
}

TEST_F(RecordingAtAnEndWithoutAFolder, TheNextStartTellsWhereItIsOnce) {
    endWhileRecording();
    const auto keptBytes = fileBytes(dir / "unsaved recording.mid");
    for (int run = 0; run < 2; ++run) {
        dialogs.messages.clear();
        restart();
        piano->Form_GotFocus();
        piano->Form_GotFocus();
        if (run == 1) {
            EXPECT_TRUE(dialogs.messages.empty()) << "told of at the first start after only";
            break;
        }
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Information);
        EXPECT_FALSE(fs::exists(dir / "unsaved recording.mid"));
        std::vector<fs::path> dated;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().extension() == ".mid") dated.push_back(entry.path());
        ASSERT_EQ(dated.size(), 1u);
        EXPECT_EQ(dated[0].filename().string().rfind("Tonvel ", 0), 0u);
        EXPECT_EQ(fileBytes(dated[0]), keptBytes);
        const std::string text = dialogs.messages[0].text;
        EXPECT_NE(text.find("~/" + dated[0].filename().string()), std::string::npos) << text;
        EXPECT_NE(text.find("~/Music/Tonvel"), std::string::npos) << text;
        piano->Form_QueryUnload();
        piano->Form_Unload();
    }
}

// The waiting name taken by something the program must not replace: the recording waits beside
// it, and the next start says so.
TEST_F(RecordingAtAnEndWithoutAFolder, ATakenNameKeepsTheRecordingBesideIt) {
    const fs::path usual = dir / "unsaved recording.mid";
    const std::function<void()> kinds[] = {
        [&] { fs::create_directory(usual); },
        [&] { fs::create_symlink(dir / "Music", usual); },
        [&] { fs::create_symlink(dir / "nowhere", usual); },
    };
    for (const auto& make : kinds) {
        restart();
        make();
        const auto before = fs::symlink_status(usual).type();
        endWhileRecording();
        EXPECT_EQ(fs::symlink_status(usual).type(), before);
        EXPECT_EQ(fileBytes(dir / "Music"), "a file, not a folder");
        EXPECT_FALSE(fs::exists(dir / "nowhere"));
        ASSERT_TRUE(loadRecording((dir / "unsaved recording (2).mid").string(), nullptr));

        notices.told.clear();
        dialogs.messages.clear();
        restart();
        piano->Form_GotFocus();
        ASSERT_EQ(notices.told.size(), 1u);
        const std::string told = "Take kept under another name: ";
        EXPECT_EQ(notices.told[0].rfind(told + (dir / "Tonvel ").string(), 0), 0u)
            << notices.told[0];
        EXPECT_EQ(piano->PCap.caption.rfind(told + "Tonvel ", 0), 0u) << piano->PCap.caption;
        EXPECT_EQ(dialogs.messages.size(), 1u);
        EXPECT_FALSE(fs::exists(dir / "unsaved recording (2).mid"));
        piano.reset();
        fs::remove(usual);
    }
}

TEST_F(Recording, TheFolderOpensThroughTheDesktop) {
    piano->menuChosen(MenuChoice{"mnu_Rrecfolder", -1});
    EXPECT_TRUE(fs::is_directory(dir / "Music" / "Tonvel"));
    EXPECT_EQ(shell.documents, std::vector<std::string>{(dir / "Music" / "Tonvel").string()});
}

TEST(RecordingFile, NamesHoldTheDateAndTimeAndNeverOverwrite) {
    std::tm when{};
    when.tm_year = 2026 - 1900, when.tm_mon = 11, when.tm_mday = 9;
    when.tm_hour = 16, when.tm_min = 4, when.tm_sec = 5;
    EXPECT_EQ(recordingFileName(when), "Tonvel 2026-12-09 16-04-05.mid");

    const auto folder = fs::temp_directory_path() / ("tonvel-names-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::time_t now = std::time(nullptr);
    const std::string first = newRecordingPath(folder.string(), now);
    std::ofstream(first) << "taken";
    const std::string second = newRecordingPath(folder.string(), now);
    EXPECT_NE(first, second);
    EXPECT_NE(second.find(" (2).mid"), std::string::npos);
    fs::remove_all(folder);
}

// A timer stopped after handing a step over ahead: the step never left, but the note-offs it
// handed over left at the stop, and what others sent stays as it was.
TEST(TakeForget, WhatAStoppedTimerSentAheadIsForgottenButItsNoteOffs) {
    const auto t0 = std::chrono::steady_clock::now();
    const auto at = [&](int ms) { return t0 + std::chrono::milliseconds(ms); };
    const int rhythm = 0, playback = 0;
    Take take(t0, {});
    take.add(at(10), 0x643C90, &rhythm);  // left before the stop
    take.add(at(20), 0x643D90, &rhythm);  // ahead: never left
    take.add(at(20), 0x003C80, &rhythm);  // ahead, a note-off: leaves at the stop
    take.add(at(25), 0x643E90, &playback);
    take.add(at(15), 0x643F90);
    take.forget(&rhythm, at(12));
    const std::vector<TimedMessage> expected = {{10, 0x643C90}, {12, 0x003C80}, {15, 0x643F90},
                                                {25, 0x643E90}, {30, 0x3E80},   {30, 0x3F80}};
    EXPECT_EQ(take.finish(at(30)), expected);
}

// A take ended with the pedal down ends with it up, after the notes, so that playing it back
// leaves nothing held; a pedal lifted in the take is not lifted again.
TEST(TakeFinish, APedalLeftDownIsLiftedAtTheEnd) {
    const auto t0 = std::chrono::steady_clock::now();
    const auto at = [&](int ms) { return t0 + std::chrono::milliseconds(ms); };
    Take take(t0, {});
    take.add(at(1), 0x7F40B0);  // pedal down, channel 1
    take.add(at(2), 0x643C90);
    take.add(at(3), 0x7F40B9);  // and channel 10
    take.add(at(4), 0x0040B9);  // lifted again
    const std::vector<TimedMessage> expected = {{1, 0x7F40B0}, {2, 0x643C90}, {3, 0x7F40B9},
                                                {4, 0x0040B9}, {9, 0x3C80},   {9, 0x40B0}};
    EXPECT_EQ(take.finish(at(9)), expected);
}

}  // namespace
}  // namespace tonvel
