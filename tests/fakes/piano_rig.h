#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_midi_input.h"
#include "fakes/fake_preferences.h"
#include "fakes/recording_services.h"
#include "shell/frm_piano.h"

namespace tonvel::testing {

// A main window over recording services, played by a scripted player on a keyboard that
// behaves like a real one under X: the last key pressed repeats (modifiers never do, and a
// modifier going down does not stop the repeat), menus and message boxes take the key-ups
// meant for the window, losing the focus sends key-ups nowhere, and the platform can tell
// which keys are held. Every choice comes from a stream of bytes, so the same bytes play the
// same performance: random bytes for a property test, a fuzzer's for fuzzing.
class PianoRig {
  public:
    // Writes the default files into `dir` (which must exist), then creates and loads the window.
    explicit PianoRig(const std::filesystem::path& dir);
    ~PianoRig();

    // Plays the whole script: actions until the bytes run out or the window closes, then lets
    // go of every key.
    void play(const uint8_t* data, size_t size);

    // Broken promises seen so far; empty when every one held.
    std::vector<std::string> problems() const;
    // What was done, one line per action, for a failure report.
    const std::vector<std::string>& log() const { return log_; }

    RecordingMidiSystem midi;
    RecordingDialogs dialogs;
    RecordingWindowSystem window;
    RecordingShell shell;
    RecordingAuxiliaryWindows windows{window};
    FakeMidiInput midiInput;
    FakePreferences preferences;
    std::unique_ptr<frmPiano> piano;

  private:
    uint8_t next();
    bool exhausted() const { return pos_ >= size_; }
    void act();
    void press(int key);
    void release(int key);
    void repeat();
    int modifiers() const;
    // A menu or box is open: the player may let go of keys, and their key-ups are lost.
    void awayFromWindow(const char* what);
    void chooseFromMenu();
    void activateIfPending();
    void letGo();
    void pressAfresh();
    void useMouse(uint8_t arg);
    void touch(uint8_t arg);
    void playIn(uint8_t arg);
    void keyCentre(int key, float& x, float& y) const;

    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t pos_ = 0;
    std::set<int> held_;  // keys down on the keyboard, AltGr as kAltGr
    int repeating_ = -1;  // the key the keyboard repeats
    bool focused_ = true;
    bool activationPending_ = false;
    bool closed_ = false;
    bool freshPressSilent_ = false;
    std::vector<std::string> log_;
    bool mouseDown_ = false;
    std::set<int> fingers_;
    // Notes and pedals the MIDI keyboards hold, by source name.
    std::map<std::string, std::set<std::pair<int, int>>> inHeld_;
    std::set<std::string> inPedal_;
};

}  // namespace tonvel::testing
