#include "app/piano_window.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <filesystem>
#include <string>

#include "fakes/recording_services.h"
#include "resources/default_files.h"

namespace tonvel {
namespace {

class PianoWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // ctest runs each test in a process of its own, side by side.
        dir = std::filesystem::temp_directory_path() /
              ("tonvel-window-test-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        extractDefaultFile(kResourceNames, (dir / "ins.ins").string());
        piano = std::make_unique<frmPiano>(
            FrmPianoServices{midi, dialogs, windowSystem, shell, windows}, dir.string());
        piano->Form_Initialize();
        piano->Form_Load();
        window.attach(piano.get());
        midi.clearSent();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void key(QEvent::Type type, int qtKey, bool autoRepeat = false) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(&window, &event);
    }

    std::filesystem::path dir;
    testing::RecordingMidiSystem midi;
    testing::RecordingDialogs dialogs;
    testing::RecordingWindowSystem windowSystem;
    testing::RecordingShell shell;
    testing::RecordingAuxiliaryWindows windows{windowSystem};
    std::unique_ptr<frmPiano> piano;
    PianoWindow window;
};

TEST_F(PianoWindowTest, AutoRepeatKeepsTheNoteSounding) {
    key(QEvent::KeyPress, Qt::Key_Z);
    for (int i = 0; i < 5; ++i) {
        key(QEvent::KeyRelease, Qt::Key_Z, true);
        key(QEvent::KeyPress, Qt::Key_Z, true);
    }
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 36 7F"}));
    key(QEvent::KeyRelease, Qt::Key_Z);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 36 7F", "80 36 00"}));
}

TEST_F(PianoWindowTest, DeactivationReleasesHeldKeys) {
    key(QEvent::KeyPress, Qt::Key_M);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&window, &deactivate);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 41 7F", "80 41 00"}));
}

TEST_F(PianoWindowTest, TheClearTimerRunsWhileItsModelIsEnabled) {
    piano->PCap.caption = "text";
    piano->tmrCap.interval = 20;
    piano->PianoSkin_MouseMove();
    window.refresh();
    for (int i = 0; i < 50 && !piano->PCap.caption.empty(); ++i) QTest::qWait(10);
    EXPECT_EQ(piano->PCap.caption, "");
    EXPECT_FALSE(piano->tmrCap.enabled);
}

}  // namespace
}  // namespace tonvel
