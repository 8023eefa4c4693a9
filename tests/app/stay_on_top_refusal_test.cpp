#include "app/stay_on_top_refusal.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "fakes/recording_services.h"
#include "resources/default_files.h"
#include "shell/frm_piano.h"

namespace tonvel {
namespace {

class StayOnTopRefusalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("tonvel-refusal-test-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        extractDefaultFile(kResourceNames, (dir / "ins.ins").string());
        piano = std::make_unique<frmPiano>(
            FrmPianoServices{midi, dialogs, windowSystem, shell, windows}, dir.string());
        piano->Form_Initialize();
        piano->Form_Load();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    bool off() const { return piano->Tag == "0" && piano->Butt[4].picture.empty(); }

    std::filesystem::path dir;
    testing::RecordingMidiSystem midi;
    testing::RecordingDialogs dialogs;
    testing::RecordingWindowSystem windowSystem;
    testing::RecordingShell shell;
    testing::RecordingAuxiliaryWindows windows{windowSystem};
    std::unique_ptr<frmPiano> piano;
    StayOnTopRefusal refusal{"why"};
};

TEST_F(StayOnTopRefusalTest, EveryAskingIsTakenBackAndToldWhy) {
    for (int press = 0; press < 3; ++press) {
        piano->Butt_Click(4);
        refusal.settle(*piano);
        EXPECT_TRUE(off()) << press;
        EXPECT_EQ(piano->PCap.caption, "why") << press;
    }
}

TEST_F(StayOnTopRefusalTest, TheSavedStateAtEachActivationIsToldOnce) {
    piano->settings.stayOnTop = 1;
    piano->Form_GotFocus();
    refusal.settle(*piano);
    EXPECT_TRUE(off());
    EXPECT_EQ(piano->PCap.caption, "why");
    piano->PCap.caption = "other";
    piano->Form_GotFocus();
    refusal.settle(*piano);
    EXPECT_TRUE(off());
    EXPECT_NE(piano->PCap.caption, "why");
}

TEST_F(StayOnTopRefusalTest, NothingChangesWhileNothingAsksForIt) {
    piano->PCap.caption = "Volume";
    refusal.settle(*piano);
    EXPECT_EQ(piano->PCap.caption, "Volume");
    EXPECT_EQ(piano->Tag, "0");
}

}  // namespace
}  // namespace tonvel
