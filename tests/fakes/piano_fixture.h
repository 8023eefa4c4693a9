#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "fakes/fake_key_caps.h"
#include "fakes/fake_midi_input.h"
#include "fakes/fake_preferences.h"
#include "fakes/recording_services.h"
#include "resources/default_files.h"
#include "shell/frm_piano.h"

namespace tonvel::testing {

// A main window over recording services, in a program directory of its own.
class PianoFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("tonvel-test-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Creates and loads the window the way startup does.
    frmPiano& start() {
        extractDefaultFile(kResourceNames, (dir / "ins.ins").string());
        piano = std::make_unique<frmPiano>(
            FrmPianoServices{midi, dialogs, window, shell, windows, keyCapsService, &clock,
                             &midiInput, preferencesService, soundExport, &notices, soundChoice},
            dir.string());
        piano->Form_Initialize();
        piano->Form_Load();
        return *piano;
    }

    void writeFile(const std::string& name, const std::string& content) {
        std::ofstream(dir / name, std::ios::binary) << content;
    }
    std::string readFile(const std::string& name) {
        std::ifstream in(dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void press(int key, int shift = 0) { piano->Form_KeyDown(key, shift); }
    void release(int key, int shift = 0) { piano->Form_KeyUp(key, shift); }
    void tap(int key, int shift = 0) {
        press(key, shift);
        release(key, shift);
    }

    std::filesystem::path dir;
    RecordingMidiSystem midi;
    RecordingDialogs dialogs;
    RecordingWindowSystem window;
    RecordingShell shell;
    RecordingAuxiliaryWindows windows{window};
    FakeKeyCaps keyCaps;
    const KeyCaps* keyCapsService = &keyCaps;
    ManualClock clock;  // none: the window has no layout to ask
    FakeMidiInput midiInput;
    FakePreferences preferences;
    SoundExporter* soundExport = nullptr;
    SoundChoice* soundChoice = nullptr;
    Preferences* preferencesService = &preferences;
    RecordingNotices notices;
    std::unique_ptr<frmPiano> piano;
};

}  // namespace tonvel::testing
