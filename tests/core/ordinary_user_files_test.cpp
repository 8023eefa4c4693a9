// Files the user may not read and a program directory the user may not write. Root reads and
// writes everything, so these run as an ordinary user only: scripts/ordinary_user_test.sh
// runs them so when the test run itself is root's.
#include <sys/stat.h>

#include <filesystem>

#include "fakes/piano_fixture.h"
#include "platform/file_read.h"
#include "platform/file_write.h"

namespace tonvel {
namespace {

namespace fs = std::filesystem;

const std::string kDefaultSettings(defaultResource(kResourceSettings));
const std::string kMySettings =
    " 0             0             0 \r\n 40            41            42            43 \r\n"
    " 35            36            37            38            39            40            41 "
    "           42            43            44            45            46 \r\n";

class OrdinaryUser : public testing::PianoFixture {
  protected:
    void SetUp() override {
        if (::geteuid() == 0)
            GTEST_SKIP() << "root reads and writes every file; scripts/ordinary_user_test.sh "
                            "runs this as an ordinary user";
        PianoFixture::SetUp();
    }
    void TearDown() override {
        if (dir.empty()) return;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        PianoFixture::TearDown();
    }
    void runAndExit() {
        start();
        piano->Form_QueryUnload();
        piano->Form_Unload();
    }
    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const auto& m : dialogs.messages) texts.push_back(m.text);
        return texts;
    }
    fs::perms permissionsOf(const char* name) const { return fs::status(dir / name).permissions(); }
};

TEST_F(OrdinaryUser, UnreadableSettingsAreReportedUsedAsZerosAndKeptAtExit) {
    writeFile("con_set.dat", kMySettings);
    fs::permissions(dir / "con_set.dat", fs::perms::none);
    runAndExit();

    const std::string path = (dir / "con_set.dat").string();
    EXPECT_EQ(messageTexts(),
              (std::vector<std::string>{"Permission denied: " + path, "Bad file name or number",
                                        "Bad file name or number", "Bad file name or number"}));
    for (const auto& m : dialogs.messages) {
        EXPECT_EQ(m.icon, MessageIcon::None);
        EXPECT_EQ(m.buttons, MessageButtons::Ok);
    }
    EXPECT_EQ(piano->state.bankPrograms[0], 0) << "fields that were not read stay 0";
    EXPECT_EQ(permissionsOf("con_set.dat"), fs::perms::none);
    fs::permissions(dir / "con_set.dat", fs::perms::owner_read);
    EXPECT_EQ(readFile("con_set.dat"), kMySettings) << "the user's settings survive the exit";
}

TEST_F(OrdinaryUser, UnreadableNamesLeaveTheMenusUncaptionedWithoutAMessage) {
    writeFile("ins.ins", "1\tMy Piano\r\n");
    fs::permissions(dir / "ins.ins", fs::perms::none);
    runAndExit();

    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_EQ(piano->mnuPiano.size(), 128u);
    ASSERT_EQ(piano->mnuDrum.size(), 32u);
    for (const auto& item : piano->mnuPiano) EXPECT_NE(item.caption, "My Piano");
    EXPECT_EQ(readFile("con_set.dat"), kDefaultSettings) << "the settings are saved as usual";
}

TEST_F(OrdinaryUser, ReadOnlyProgramDirectoryStartsAndKeepsItsSettings) {
    struct Case {
        const char* what;
        bool withSettings;
        std::vector<std::string> messages;
    };
    const std::string missing = "File not found: ";
    const Case cases[] = {
        {"settings there", true, {}},
        {"nothing there",
         false,
         {"", "Bad file name or number", "Bad file name or number", "Bad file name or number"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(dir);
        fs::create_directories(dir);
        if (c.withSettings) writeFile("con_set.dat", kMySettings);
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
        dialogs.messages.clear();
        piano.reset();
        runAndExit();

        auto texts = messageTexts();
        if (!c.withSettings) {
            ASSERT_EQ(texts.size(), 4u);
            EXPECT_EQ(texts[0], missing + (dir / "con_set.dat").string());
            texts[0].clear();
        }
        EXPECT_EQ(texts, c.messages);
        EXPECT_EQ(piano->mnuPiano.size(), 128u);
        std::vector<std::string> left;
        for (const auto& entry : fs::directory_iterator(dir))
            left.push_back(entry.path().filename());
        EXPECT_EQ(left, c.withSettings ? std::vector<std::string>{"con_set.dat"}
                                       : std::vector<std::string>{});
        if (c.withSettings) {
            EXPECT_EQ(readFile("con_set.dat"), kMySettings);
        }
    }
}

TEST_F(OrdinaryUser, AFileTheUserMayNotWriteIsNotReplaced) {
    writeFile("con_set.dat", kMySettings);
    fs::permissions(dir / "con_set.dat", fs::perms::owner_read);
    EXPECT_FALSE(replaceFile((dir / "con_set.dat").string(), "other"));
    EXPECT_EQ(readFile("con_set.dat"), kMySettings);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), {}), 1) << "no temporary left";
}

TEST_F(OrdinaryUser, AnUnreadableFileReadsAsNoPermission) {
    writeFile("secret", "x");
    fs::permissions(dir / "secret", fs::perms::owner_write);
    const FileStart start = readFileStart((dir / "secret").string(), 10);
    EXPECT_EQ(start.failure, ReadFailure::NoPermission);
    EXPECT_TRUE(start.bytes.empty());
}

}  // namespace
}  // namespace tonvel
