#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "performance/names_file.h"
#include "performance/settings_file.h"
#include "resources/default_files.h"

namespace tonvel {
namespace {

Settings defaultSettings() {
    Settings s;
    s.midiDeviceId = 0;
    s.showKeyLabels = 1;
    s.stayOnTop = 0;
    s.bankPrograms = {18, 19, 10, 7};
    const int16_t pads[] = {49, 56, 51, 45, 47, 48, 46, 42, 44, 37, 36, 40};
    for (size_t i = 0; i < 12; ++i) s.drumPadNotes[i] = pads[i];
    return s;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(text.substr(start, end - start));
    return out;
}

TEST(SettingsFile, DefaultResourceIsWhatTheWriterProduces) {
    const std::string_view resource = defaultResource(kResourceSettings);
    ASSERT_EQ(resource.size(), 240u);
    EXPECT_EQ(formatSettings(defaultSettings()), resource);
    const auto l = lines(std::string(resource));
    ASSERT_EQ(l.size(), 3u);
    EXPECT_EQ(l[0], " 0             1             0 ");
    EXPECT_EQ(l[1].size(), 45u);
    EXPECT_EQ(l[2].size(), 158u);
}

TEST(SettingsFile, ReadingTheDefaultGivesItsValues) {
    Settings s;
    EXPECT_TRUE(parseSettings(defaultResource(kResourceSettings), s).empty());
    const Settings expected = defaultSettings();
    EXPECT_EQ(s.midiDeviceId, expected.midiDeviceId);
    EXPECT_EQ(s.showKeyLabels, 1);
    EXPECT_EQ(s.stayOnTop, 0);
    EXPECT_EQ(s.bankPrograms, expected.bankPrograms);
    EXPECT_EQ(s.drumPadNotes, expected.drumPadNotes);
}

TEST(SettingsFile, NumbersTakeFourteenColumnZones) {
    Settings s = defaultSettings();
    s.bankPrograms = {127, -1, 0, 127};
    s.midiDeviceId = 12;
    const auto l = lines(formatSettings(s));
    EXPECT_EQ(l[0].substr(0, 14), " 12           ");
    EXPECT_EQ(l[1], " 127          -1             0             127 ");
}

TEST(SettingsFile, EmptyDrumEntryIsWrittenAsPaddingOnly) {
    Settings s = defaultSettings();
    s.drumPadNotes[0].reset();
    const auto l = lines(formatSettings(s));
    EXPECT_EQ(l[2].substr(0, 18), std::string(14, ' ') + " 56 ");
}

struct ReadCase {
    const char* what;
    std::string text;
    size_t failures;
    int32_t device;
    std::array<int16_t, 4> banks;
    int16_t lastPad;
};

TEST(SettingsFile, ReaderIgnoresLineStructureAndKeepsWhatItCannotUse) {
    const std::string pads = "49 56 51 45 47 48 46 42 44 37 36 40";
    const std::vector<ReadCase> cases = {
        {"one line", "2 1 0 1 2 3 4 " + pads, 0, 2, {1, 2, 3, 4}, 40},
        {"commas", "2,1,0,1,2,3,4," + pads, 0, 2, {1, 2, 3, 4}, 40},
        {"commas and blanks", "2 , 1 ,0\r\n1,2,3,4\r\n" + pads + "\r\n", 0, 2, {1, 2, 3, 4}, 40},
        {"two lines", "3 1 0\r\n5 6 7 8\r\n", 1, 3, {5, 6, 7, 8}, 99},
        {"short second line", "3 1 0\r\n5 6\r\n", 2, 3, {5, 6, 0, 0}, 99},
        {"empty", "", 3, 0, {0, 0, 0, 0}, 99},
        {"garbage", "abc def ghi\r\nxyz", 3, 0, {0, 0, 0, 0}, 99},
        {"binary", std::string("\x01\x02\xff", 3), 3, 0, {0, 0, 0, 0}, 99},
        {"program out of range", "0 1 0 128 -1 5 6 " + pads, 1, 0, {0, 0, 5, 6}, 40},
        {"pad out of range",
         "0 1 0 1 2 3 4 49 56 51 45 47 48 46 42 44 37 36 300",
         1,
         0,
         {1, 2, 3, 4},
         99},
        {"fraction", "0 1 0 1.5 2 3 4 " + pads, 1, 0, {0, 2, 3, 4}, 40},
    };
    for (const auto& c : cases) {
        Settings s;
        s.drumPadNotes[11] = 99;
        const auto failures = parseSettings(c.text, s);
        EXPECT_EQ(failures.size(), c.failures) << c.what;
        EXPECT_EQ(s.midiDeviceId, c.device) << c.what;
        EXPECT_EQ(s.bankPrograms, c.banks) << c.what;
        EXPECT_EQ(s.drumPadNotes[11], c.lastPad) << c.what;
    }
}

class SettingsFileOnDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("tonvel-settings-test-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

TEST_F(SettingsFileOnDisk, SaveAndLoadRoundTrip) {
    const std::string path = (dir / "con_set.dat").string();
    Settings s = defaultSettings();
    s.midiDeviceId = 2;
    s.bankPrograms[2] = 40;
    ASSERT_TRUE(saveSettingsFile(path, s));
    Settings read;
    EXPECT_TRUE(loadSettingsFile(path, read).empty());
    EXPECT_EQ(read.midiDeviceId, 2);
    EXPECT_EQ(read.bankPrograms[2], 40);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1)
        << "no temporary left";
}

TEST_F(SettingsFileOnDisk, FailedSaveLeavesThePreviousFileWhole) {
    const std::string path = (dir / "con_set.dat").string();
    ASSERT_TRUE(saveSettingsFile(path, defaultSettings()));
    // A disk that fills up halfway through the write: files may grow to 100 bytes only.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    Settings changed = defaultSettings();
    changed.bankPrograms[0] = 1;
    const bool saved = saveSettingsFile(path, changed);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    std::ifstream in(path, std::ios::binary);
    const std::string content{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(content, defaultResource(kResourceSettings));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1)
        << "no temporary left";
}

TEST_F(SettingsFileOnDisk, MissingFileFailsTheOpenAndEachRead) {
    Settings s;
    EXPECT_EQ(loadSettingsFile((dir / "none.dat").string(), s).size(), 4u);
}

TEST_F(SettingsFileOnDisk, ExtractNeverOverwrites) {
    const std::string path = (dir / "con_set.dat").string();
    std::ofstream(path) << "mine";
    extractDefaultFile(kResourceSettings, path);
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "mine");
    const std::string fresh = (dir / "ins.ins").string();
    extractDefaultFile(kResourceNames, fresh);
    EXPECT_EQ(std::filesystem::file_size(fresh), 2608u);
}

TEST(NamesFile, DefaultResourceHoldsAllNamesAndATrailingNul) {
    const std::string_view resource = defaultResource(kResourceNames);
    ASSERT_EQ(resource.size(), 2608u);
    EXPECT_EQ(resource.back(), '\0');
    EXPECT_EQ(resource.substr(0, 24), "1\tAcoustic Grand Piano\r\n");
    const NameTables names = parseNames(resource);
    EXPECT_EQ(names.programs[0], "Acoustic Grand Piano");
    EXPECT_EQ(names.programs[18], "Rock Organ");
    EXPECT_EQ(names.programs[40], "Violin");
    EXPECT_EQ(names.programs[127], "Gunshot");
    EXPECT_EQ(names.drums[0], "Acoustic Bass Drum");
    EXPECT_EQ(names.drums[13], "Hi Mid Tom Tom");
    EXPECT_EQ(names.drums[31], "Lo Timbale");
}

TEST(NamesFile, OnlyThePositionOfALineCounts) {
    std::string text = "77\tFirst\tignored\r\nno tab here\r\n3\t\r\n";
    const NameTables names = parseNames(text);
    EXPECT_EQ(names.programs[0], "First");
    EXPECT_FALSE(names.programs[1].has_value());
    EXPECT_EQ(names.programs[2], "");
    // After the end every item repeats the last line read.
    EXPECT_EQ(names.programs[127], "");
    EXPECT_EQ(names.drums[31], "");
}

TEST(NamesFile, ShortFileRepeatsTheLastName) {
    const NameTables names = parseNames("1\tA\n2\tB");
    EXPECT_EQ(names.programs[1], "B");
    EXPECT_EQ(names.programs[100], "B");
    EXPECT_EQ(names.drums[0], "B");
}

}  // namespace
}  // namespace tonvel
