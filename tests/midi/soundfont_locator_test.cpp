#include "midi/synth/soundfont_locator.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "midi/synth/synth_gain.h"

namespace tonvel {
namespace {

namespace fs = std::filesystem;

class TempFolder {
  public:
    TempFolder() {
        static int made = 0;
        path_ = fs::temp_directory_path() /
                ("tonvel-sf2-" + std::to_string(getpid()) + "-" + std::to_string(++made));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }

    void addFile(const std::string& name) const { std::ofstream(path_ / name) << "sf2"; }
    void addLink(const std::string& name, const fs::path& target) const {
        fs::create_symlink(target, path_ / name);
    }
    void addFolder(const std::string& name) const { fs::create_directory(path_ / name); }

  private:
    fs::path path_;
};

struct LookupCase {
    std::string label;
    std::vector<std::string> files;
    std::vector<std::string> folders;
    // Name of a link to FluidR3_GM.sf2 in the same folder, or to a missing file.
    std::string link;
    bool linkDangles = false;
    std::string expected;  // empty: nothing found
};

class SoundFontLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(SoundFontLookup, FirstExistingCandidateWins) {
    const auto& c = GetParam();
    TempFolder folder;
    for (const auto& f : c.files) folder.addFile(f);
    for (const auto& d : c.folders) folder.addFolder(d);
    if (!c.link.empty()) {
        folder.addLink(c.link, folder.path() / (c.linkDangles ? "gone.sf2" : "FluidR3_GM.sf2"));
    }

    auto search = SoundFontSearch::systemDefault();
    search.folder = folder.path();
    const auto found = findSoundFont(search);

    if (c.expected.empty()) {
        EXPECT_FALSE(found.has_value()) << *found;
    } else {
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(*found, folder.path() / c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Candidates, SoundFontLookup,
    ::testing::Values(
        LookupCase{"AllThree",
                   {"FluidR3_GM.sf2", "TimGM6mb.sf2"},
                   {},
                   "default-GM.sf2",
                   false,
                   "default-GM.sf2"},
        LookupCase{
            "NoDefault", {"FluidR3_GM.sf2", "TimGM6mb.sf2"}, {}, "", false, "FluidR3_GM.sf2"},
        LookupCase{"OnlySmallSet", {"TimGM6mb.sf2"}, {}, "", false, "TimGM6mb.sf2"},
        LookupCase{"DanglingDefault", {"TimGM6mb.sf2"}, {}, "default-GM.sf2", true, "TimGM6mb.sf2"},
        LookupCase{"FolderNamedLikeSoundFont",
                   {"TimGM6mb.sf2"},
                   {"FluidR3_GM.sf2"},
                   "",
                   false,
                   "TimGM6mb.sf2"},
        LookupCase{"UnrelatedFilesOnly", {"Other.sf2", "timgm6mb.sf2"}, {}, "", false, ""},
        LookupCase{"Empty", {}, {}, "", false, ""}),
    [](const auto& info) { return info.param.label; });

TEST(SoundFontLookup, MissingFolderFindsNothing) {
    EXPECT_FALSE(findSoundFont({"/nonexistent/tonvel/sf2", {"TimGM6mb.sf2"}}).has_value());
}

// What --soundfont is given is checked before the program starts.
TEST(SoundFontCheck, OnlyASoundFontPasses) {
    struct Case {
        const char* what;
        std::string bytes;
        const char* problem;  // a piece of the reason, or nullptr when it passes
    };
    std::string noise(4096, '\0');
    uint32_t seed = 12345;
    for (char& c : noise) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    const std::string riffHead("RIFF\x04\x00\x00\x00", 8);
    const std::vector<Case> cases = {
        {"empty", "", "empty"},
        {"text", "A SoundFont, honestly.\n", "not a SoundFont"},
        {"random bytes", noise, "not a SoundFont"},
        {"another RIFF file", riffHead + "WAVE", "not a SoundFont"},
        {"cut short", "RIF", "not a SoundFont"},
        {"a SoundFont's start", riffHead + "sfbk", nullptr},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        const auto path = folder.path() / "file.sf2";
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
        const auto problem = soundFontProblem(path);
        if (c.problem == nullptr) {
            EXPECT_FALSE(problem) << c.what << ": " << *problem;
        } else {
            ASSERT_TRUE(problem) << c.what;
            EXPECT_NE(problem->find(c.problem), std::string::npos) << c.what << ": " << *problem;
        }
    }
    EXPECT_TRUE(soundFontProblem(folder.path()));
    const auto installed = findSoundFont(SoundFontSearch::systemDefault());
    if (installed) {
        EXPECT_FALSE(soundFontProblem(*installed)) << installed->string();
    }
}

TEST(SynthGain, FollowsTheLinkToTheActualSoundFont) {
    TempFolder folder;
    folder.addFile("FluidR3_GM.sf2");
    folder.addFile("TimGM6mb.sf2");
    folder.addLink("default-GM.sf2", folder.path() / "TimGM6mb.sf2");

    const float small = synthGainFor(folder.path() / "TimGM6mb.sf2");
    const float large = synthGainFor(folder.path() / "FluidR3_GM.sf2");
    ASSERT_NE(small, large) << "the two sets need different levels";
    EXPECT_EQ(synthGainFor(folder.path() / "default-GM.sf2"), small);
}

}  // namespace
}  // namespace tonvel
