#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "midi/synth/fluid_sound_export.h"
#include "synth_test_support.h"

namespace tonvel {
namespace {

namespace fs = std::filesystem;

class SoundExport : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("tonvel-export-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::unique_ptr<SoundExportRun> run(SoundExportJob job, bool cancel = false) {
        job.sound = exporter.currentSound();
        auto running = exporter.start(std::move(job));
        if (cancel) running->cancel();
        for (int i = 0; i < 3000 && !running->finished(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return running;
    }
    SoundExportJob twoNotes(const std::string& name, SoundFileType type) {
        return {.messages = {{0, testing::noteOn(0, 60, 100)},
                             {500, testing::noteOff(0, 60)},
                             {1000, testing::noteOn(0, 64, 100)},
                             {1500, testing::noteOff(0, 64)}},
                .path = (dir / name).string(),
                .type = type};
    }
    fs::path dir;
    FluidSoundExporter exporter{{testing::kSystemSoundFonts, {"TimGM6mb.sf2"}}};
};

// The files as a player would open them: a RIFF WAV or a FLAC stream, as long as the notes and
// their ring, and nothing else in the folder.
TEST_F(SoundExport, WritesTheFileWholeUnderItsName) {
    struct Case {
        const char* name;
        SoundFileType type;
        const char* magic;
    };
    for (const Case& c :
         {Case{"a.wav", SoundFileType::Wav, "RIFF"}, Case{"b.flac", SoundFileType::Flac, "fLaC"}}) {
        const auto done = run(twoNotes(c.name, c.type));
        ASSERT_TRUE(done->finished());
        EXPECT_EQ(done->failure(), std::nullopt) << c.name;
        std::ifstream in(dir / c.name, std::ios::binary);
        std::string start(4, '\0');
        in.read(start.data(), 4);
        EXPECT_EQ(start, c.magic);
    }
    // 48 kHz, 16-bit stereo: 1.5 s of notes and at least a second of ring.
    EXPECT_GT(fs::file_size(dir / "a.wav"), 2.5 * 48000 * 4);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
}

TEST_F(SoundExport, AFailureOrACancelLeavesNothingBehind) {
    std::ofstream(dir / "file") << "x";
    const auto blocked = run(twoNotes("file/a.wav", SoundFileType::Wav));
    EXPECT_EQ(blocked->failure(), "the folder cannot be written: Not a directory");
    const auto cancelled = run(twoNotes("c.wav", SoundFileType::Wav), true);
    EXPECT_TRUE(cancelled->cancelled());
    EXPECT_EQ(cancelled->failure(), std::nullopt);
    SoundExportJob noFont = twoNotes("d.wav", SoundFileType::Wav);
    auto missing = exporter.start(noFont);  // no SoundFont in the job
    while (!missing->finished()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(missing->failure(), "no SoundFont was found for the synthesizer");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace tonvel
