#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>

#include "performance/names_file.h"
#include "performance/settings_file.h"
#include "platform/file_read.h"
#include "platform/file_write.h"
#include "resources/default_files.h"

namespace tonvel {
namespace {

namespace fs = std::filesystem;

class ProgramFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tonvel-files-test-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "elsewhere");
        victim = dir / "elsewhere" / "victim";
        write(victim, "precious");
    }
    void TearDown() override { fs::remove_all(dir); }

    static void write(const fs::path& path, const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string at(const char* name) const { return (dir / name).string(); }

    fs::path dir;
    fs::path victim;
};

// Every way of writing into the program directory, each facing links placed there before.
struct LinkCase {
    const char* name;
    const char* link;        // placed in the program directory
    bool linkPointsNowhere;  // else it points at the victim
    const char* file;        // what is then written
    std::function<void(const std::string&)> writeIt;
};

TEST_F(ProgramFiles, WritingNeverFollowsALinkInTheProgramDirectory) {
    Settings settings;
    settings.bankPrograms = {1, 2, 3, 4};
    const auto save = [&](const std::string& path) { saveSettingsFile(path, settings); };
    const auto extract = [](int id) {
        return [id](const std::string& path) { extractDefaultFile(id, path); };
    };
    const LinkCase cases[] = {
        {"temporary of the old save", "con_set.dat.new", false, "con_set.dat", save},
        {"settings file itself", "con_set.dat", false, "con_set.dat", save},
        {"dangling settings file", "con_set.dat", true, "con_set.dat", save},
        {"default settings", "con_set.dat", false, "con_set.dat", extract(kResourceSettings)},
        {"dangling default settings", "con_set.dat", true, "con_set.dat",
         extract(kResourceSettings)},
        {"dangling names", "ins.ins", true, "ins.ins", extract(kResourceNames)},
        {"names", "ins.ins", false, "ins.ins", extract(kResourceNames)},
        {"dangling licence", "license.txt", true, "license.txt", extract(kResourceLicence)},
        {"dangling first-run marker", "firstrun.kvx", true, "firstrun.kvx",
         extract(kResourceSettings)},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path target = c.linkPointsNowhere ? dir / "elsewhere" / "created" : victim;
        fs::remove(dir / c.link);
        fs::remove(dir / c.file);
        fs::create_symlink(target, dir / c.link);
        c.writeIt((dir / c.file).string());
        EXPECT_EQ(read(victim), "precious");
        EXPECT_FALSE(fs::exists(dir / "elsewhere" / "created"));
    }
}

TEST_F(ProgramFiles, SavingOverALinkReplacesTheLinkWithTheSettings) {
    fs::create_symlink(victim, dir / "con_set.dat");
    ASSERT_TRUE(saveSettingsFile(at("con_set.dat"), Settings{}));
    EXPECT_FALSE(fs::is_symlink(dir / "con_set.dat"));
    EXPECT_EQ(read(dir / "con_set.dat"), formatSettings(Settings{}));
    EXPECT_EQ(read(victim), "precious");
}

TEST_F(ProgramFiles, SavingLeavesNoTemporaryAndKeepsTheFilesPermissions) {
    write(dir / "con_set.dat", "old");
    fs::permissions(dir / "con_set.dat",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    for (int round = 0; round < 3; ++round)
        ASSERT_TRUE(saveSettingsFile(at("con_set.dat"), Settings{}));
    EXPECT_EQ(fs::status(dir / "con_set.dat").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"con_set.dat", "elsewhere"}));
}

TEST_F(ProgramFiles, CreatingANewFileFailsWhenAnythingIsThere) {
    fs::create_directory(dir / "folder");
    write(dir / "file", "mine");
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    for (const char* name : {"folder", "file", "dangling"}) {
        EXPECT_FALSE(createNewFile(at(name), "new")) << name;
        int error = 0;
        EXPECT_FALSE(createWholeFile(at(name), "new", &error)) << name;
        EXPECT_EQ(error, EEXIST) << name;
        EXPECT_FALSE(fs::exists(dir / "nowhere")) << name;
    }
    EXPECT_EQ(read(dir / "file"), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 4) << "no temporary left";
    EXPECT_TRUE(createNewFile(at("fresh"), "new"));
    EXPECT_EQ(read(dir / "fresh"), "new");
}

TEST_F(ProgramFiles, ReadingTakesNoMoreThanTheLimitAndOnlyFromAFile) {
    write(dir / "long", std::string(1000, 'x'));
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo(at("pipe").c_str(), 0600), 0);
    fs::create_symlink(dir / "long", dir / "link");
    struct Case {
        const char* name;
        size_t limit;
        size_t bytes;
        ReadFailure failure;
        Links links = Links::Follow;
    };
    const Case cases[] = {
        {"link", 10, 10, ReadFailure::None},
        {"link", 10, 0, ReadFailure::Link, Links::Refuse},
        {"long", 10, 10, ReadFailure::None, Links::Refuse},
        {"long", 10, 10, ReadFailure::None},
        {"long", 1000, 1000, ReadFailure::None},
        {"long", 5000, 1000, ReadFailure::None},
        {"missing", 10, 0, ReadFailure::NotFound},
        {"folder", 10, 0, ReadFailure::NotAFile},
        {"pipe", 10, 0, ReadFailure::NotAFile},  // would block a reader that waits for a writer
    };
    for (const Case& c : cases) {
        const FileStart start = readFileStart(at(c.name), c.limit, c.links);
        EXPECT_EQ(start.bytes.size(), c.bytes) << c.name << " " << c.limit;
        EXPECT_EQ(start.failure, c.failure) << c.name << " " << c.limit;
    }
}

TEST_F(ProgramFiles, ANamesFileWithAHugeLineYieldsShortCaptions) {
    // One 10 MB name, then only two lines: every later item repeats the last line read.
    std::string text = "1\t" + std::string(10 * 1024 * 1024, 'N') + "\r\n2\tShort\r\n3\t";
    text += std::string(5000, 'L');
    write(dir / "ins.ins", text);
    const auto names = loadNamesFile(at("ins.ins"));
    ASSERT_TRUE(names);
    // The file is read only up to its limit, so the huge first line is all there is.
    EXPECT_EQ(names->programs[0]->size(), kMaxNameCharacters);
    EXPECT_EQ(names->programs[127]->size(), kMaxNameCharacters);
    EXPECT_EQ(names->drums[31]->size(), kMaxNameCharacters);

    const NameTables parsed =
        parseNames("1\t" + std::string(300, 'N') + "\r\n2\tShort\r\n3\t" + std::string(5000, 'L'));
    EXPECT_EQ(parsed.programs[0]->size(), kMaxNameCharacters);
    EXPECT_EQ(parsed.programs[1], "Short");
    EXPECT_EQ(*parsed.programs[2], std::string(kMaxNameCharacters, 'L'));
    EXPECT_EQ(*parsed.drums[31], std::string(kMaxNameCharacters, 'L'));
}

TEST(NameLength, ACutNameKeepsWholeCharactersAndShortNamesStay) {
    const std::string twoByte = "\xC3\xA9";           // é
    const std::string fourByte = "\xF0\x9F\x8E\xB9";  // a keyboard
    struct Case {
        const char* what;
        std::string name;
        std::string expected;
    };
    const Case cases[] = {
        {"exact", std::string(kMaxNameCharacters, 'a'), std::string(kMaxNameCharacters, 'a')},
        {"one over", std::string(kMaxNameCharacters + 1, 'a'),
         std::string(kMaxNameCharacters, 'a')},
        {"two-byte characters",
         [&] {
             std::string s;
             for (size_t i = 0; i < kMaxNameCharacters + 5; ++i) s += twoByte;
             return s;
         }(),
         [&] {
             std::string s;
             for (size_t i = 0; i < kMaxNameCharacters; ++i) s += twoByte;
             return s;
         }()},
        {"four-byte at the cut", std::string(kMaxNameCharacters - 1, 'a') + fourByte + fourByte,
         std::string(kMaxNameCharacters - 1, 'a') + fourByte},
        {"short", "Violin", "Violin"},
    };
    for (const Case& c : cases) {
        const NameTables names = parseNames("1\t" + c.name + "\r\n");
        EXPECT_EQ(*names.programs[0], c.expected) << c.what;
    }
}

TEST_F(ProgramFiles, SettingsAreLookedForOnlyNearTheStartOfTheFile) {
    write(dir / "far",
          std::string(10 * 1024 * 1024, ' ') + "0 1 0 1 2 3 4 1 2 3 4 5 6 7 8 9 10 11 12");
    Settings settings;
    EXPECT_EQ(loadSettingsFile(at("far"), settings).size(), 3u);
    EXPECT_EQ(settings.bankPrograms, (std::array<int16_t, 4>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace tonvel
