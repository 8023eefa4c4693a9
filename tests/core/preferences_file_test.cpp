// tonvel.ini: whatever else bears the name is left alone and told of once, and a change rewrites
// only its value. QSettings reads it both ways: tests/app/ini_compatibility_test.cpp.
#include "performance/preferences_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

namespace fs = std::filesystem;

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// What is at `path`, as far as a change to it would show.
std::string describe(const fs::path& path) {
    if (fs::is_symlink(path)) return "link to " + fs::read_symlink(path).string();
    if (fs::is_regular_file(path)) return "file " + contentOf(path);
    return std::to_string(static_cast<int>(fs::status(path).type()));
}

std::vector<std::string> failures(PreferencesFile& file) {
    std::vector<std::string> all;
    while (auto failure = file.failure()) all.push_back(*failure);
    return all;
}

class PreferencesFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(dir);
        std::ofstream(dir / "decoy") << "mine";
    }
    void TearDown() override { fs::remove_all(dir); }
    const fs::path dir = fs::temp_directory_path() / ("tonvel-ini-" + std::to_string(::getpid()));
};

TEST_F(PreferencesFiles, AnythingButARegularFileIsLeftAloneAndAFailureToldOnce) {
    const std::string tooLarge = "[MidiDevice]\nName=Big\n" + std::string(1 << 20, ';');
    const std::string alone = ": left alone, choices not kept";
    const std::pair<std::string, std::function<void(const fs::path&)>> cases[] = {
        {" is a symbolic link" + alone, [&](auto& p) { fs::create_symlink(dir / "decoy", p); }},
        {" is a symbolic link" + alone, [&](auto& p) { fs::create_symlink(dir / "new", p); }},
        {" is not a file" + alone, [](auto& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {" is not a file" + alone, [](auto& p) { fs::create_directory(p); }},
        {" is larger than 1 MB" + alone, [&](auto& p) { std::ofstream(p) << tooLarge; }},
        {" could not be saved (No such file or directory)",
         [](auto& p) { fs::remove(p.parent_path()); }},
        // Root reads it all: scripts/ordinary_user_test.sh runs this as an ordinary user.
        {::geteuid() == 0 ? "" : " is not readable" + alone,
         [](auto& p) {
             std::ofstream(p) << "[A]\nB=1\n";
             fs::permissions(p, fs::perms::none);
         }},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& [told, make] = cases[i];
        if (told.empty()) continue;
        const fs::path path = dir / std::to_string(i) / "tonvel.ini";
        fs::create_directories(path.parent_path());
        make(path);
        const std::string before = describe(path);
        PreferencesFile file(path.string());
        EXPECT_EQ(file.text("MidiDevice/Name"), "") << path;
        file.setText("MidiDevice/Name", "Synth");
        file.setList("MidiInput/Connected", {"Keys"});
        EXPECT_EQ(file.text("MidiDevice/Name"), "Synth") << "the choice lasts for the run";
        EXPECT_EQ(failures(file), std::vector<std::string>{path.string() + told});
        EXPECT_EQ(describe(path), before);
        EXPECT_EQ(contentOf(dir / "decoy"), "mine");
        EXPECT_FALSE(fs::exists(dir / "new"));
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            EXPECT_EQ(entry.path().filename().string().find(".new-"), std::string::npos);
    }
}

// A change goes over what the file holds then, and rewrites only its own line.
TEST_F(PreferencesFiles, AChangeRewritesOnlyItsValue) {
    const std::string before =
        "\xEF\xBB\xBF; mine\r\n[MidiDevice]\r\nName = Old ; hand\r\nPort=3\r\n\r\n[X]\r\nk=1\r\n";
    const std::string cases[][4] = {
        {"MidiDevice/Name", "Old", "", ""},
        {"MidiDevice/Name", "New, too", "= Old ;", "= \"New, too\" ;"},
        {"MidiDevice/Channel", "2", "Port=3\r\n", "Port=3\r\nChannel=2\r\n"},
        {"Mouse/PlaysKeys", "1", "k=1\r\n", "k=1\r\n\r\n[Mouse]\r\nPlaysKeys=1\r\n"},
    };
    for (const auto& [key, value, old, now] : cases) {
        PreferencesFile file((dir / "tonvel.ini").string());
        file.text(key);
        std::ofstream(dir / "tonvel.ini", std::ios::binary) << before;
        std::string after = before;
        if (!old.empty()) after.replace(after.find(old), old.size(), now);
        file.setText(key, value);
        EXPECT_EQ(contentOf(dir / "tonvel.ini"), after) << key;
        EXPECT_EQ(PreferencesFile((dir / "tonvel.ini").string()).text(key), value) << key;
        EXPECT_TRUE(failures(file).empty());
    }
}

using ToldFailures = testing::PianoFixture;

// Told once beyond the window at once, and on the status line once the window is up.
TEST_F(ToldFailures, APreferencesFileThatIsNoFileIsToldOnce) {
    fs::create_directory(dir / "tonvel.ini");
    PreferencesFile file((dir / "tonvel.ini").string());
    preferencesService = &file;
    start();
    const std::string told = " is not a file: left alone, choices not kept";
    EXPECT_EQ(notices.told, std::vector<std::string>{(dir / "tonvel.ini").string() + told});
    EXPECT_NE(piano->PCap.caption, "tonvel.ini" + told);
    piano->Form_GotFocus();
    EXPECT_EQ(piano->PCap.caption, "tonvel.ini" + told) << "the program directory left out";
    EXPECT_FALSE(piano->tmrCap.enabled) << "no timer empties it unseen";
    piano->mnu_mousekeys_Click();
    piano->Form_GotFocus();
    piano->Form_QueryUnload();
    piano->Form_Unload();
    EXPECT_EQ(notices.told.size(), 1u) << "nor again at a save";
}

}  // namespace
}  // namespace tonvel
