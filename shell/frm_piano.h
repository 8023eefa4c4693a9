#pragma once

#include <array>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/controls.h"
#include "foundation/key_caps.h"
#include "foundation/keyboard_input.h"
#include "foundation/services.h"
#include "midi/midi_input.h"
#include "midi/midi_out.h"
#include "midi/sound_choice.h"
#include "midi/sound_export.h"
#include "performance/beat_styles.h"
#include "performance/performance_state.h"
#include "performance/settings_file.h"
#include "recording/song_player.h"
#include "recording/take.h"
#include "shell/note_holders.h"

namespace tonvel {

// Modifier bits of key events.
inline constexpr int kShiftMask = 1;
inline constexpr int kCtrlMask = 2;
inline constexpr int kAltMask = 4;

inline constexpr uint32_t kKeyLightFill = 0x0080FF;
inline constexpr uint32_t kKeyLightBorder = 0x808080;
inline constexpr uint32_t kPadBorder = 0x404080;
inline constexpr uint32_t kPadAtRest = 0xC0E0FF;
inline constexpr uint32_t kPadSounding = 0x0080FF;
inline constexpr int kSpaceKey = 32;  // the sustain pedal
inline constexpr uint32_t kPedalLit = 0x40C0FF;
inline constexpr uint32_t kPedalDark = 0x404040;
// Keys a song waits for the player to play.
inline constexpr uint32_t kAwaitedFill = 0x40C000;

struct FrmPianoServices {
    MidiSystem& midi;
    Dialogs& dialogs;
    WindowSystem& window;
    DesktopShell& shell;
    AuxiliaryWindows& windows;
    // Without it the key labels name the keys of a US keyboard.
    const KeyCaps* keyCaps = nullptr;
    // Without it recordings take their times from the present.
    Clock* clock = nullptr;
    // Without it nothing comes in from other MIDI devices.
    MidiInput* midiInput = nullptr;
    // Without it choices beyond the settings file last for the run only.
    Preferences* preferences = nullptr;
    // Without it nothing can be exported as sound.
    SoundExporter* soundExport = nullptr;
    // Without it failures are told on the status line only.
    Notices* notices = nullptr;
    // Without it the built-in synthesizer keeps the sound it starts with.
    SoundChoice* sound = nullptr;
};

// The main window: its controls as plain models and its handlers. The front end
// renders the controls and forwards every event here.
class frmPiano {
  public:
    frmPiano(FrmPianoServices services, std::string programDirectory);
    frmPiano(const frmPiano&) = delete;
    frmPiano& operator=(const frmPiano&) = delete;

    // Life of the window.
    void Form_Initialize();
    void Form_Load();
    void Form_GotFocus();
    void Form_LostFocus();
    void Form_QueryUnload();
    void Form_Unload();

    // Keys: virtual-key code and modifier bits (Shift 1, Ctrl 2, Alt 4).
    void Form_KeyDown(int keyCode, int shift);
    void Form_KeyUp(int keyCode, int shift);

    // Keys as the platform reports them, repeats included; they reach Form_KeyDown and
    // Form_KeyUp as the window expects them.
    void keyPressed(int keyCode, int shift);
    void keyReleased(int keyCode, int shift);
    // The window has the keyboard again: keys released meanwhile count as up.
    void keyboardReturned();

    // Key-to-note engine.
    void KeyboardChanged();
    void CheckKeys();

    // Keyboard layouts and key labels.
    void mnu_KeyboardType_Click();
    void mnu_keyOther_Click();
    void mnu_Rshowklbl_Click();
    // The key labels name what the active layout prints on each key.
    void Form_KeyboardLayoutChange();

    // Drum pads.
    void lblDrums_MouseDown(int index, int button, int shift, float x, float y);
    void mnuDrum_Click(int index);

    // Rhythm player.
    void mnuBeat_Click(int index);
    void lblBeat_Click();
    void lblBeatCtrl_MouseDown(int index, int button, int shift, float x, float y);
    void lblBeatCtrl_MouseUp(int index);
    void lblBeatCtrl_Click(int index);
    void tmrBeat_Timer();

    // Sound selection, devices and base note.
    void mnuPiano_Click(int index);
    void lblBank_MouseDown(int index, int button, int shift, float x, float y);
    void lblBank_MouseUp(int index);
    void lblInstrument_Click();
    void ChNum_Click();
    void mnuDevice_Click(int index);
    void mnu_refresh_Click();
    // News of the output that came from outside the window (a sound server that went away, the
    // one that carries the sound now, a port whose client went or came back): shown on the
    // status line until something else is. While `present` is false the device in use is shown
    // greyed in the device menu.
    void outputNews(const std::string& text, bool present);
    void lblBaseKey_Click();
    void mnuBaseKey_Click(int index);

    // Status line and hover help.
    void SStatus(const std::string& item);
    void tmrCap_Timer();
    void PianoSkin_MouseMove();
    void lblOver_MouseMove();
    void Form_MouseMove();
    void Butt_MouseMove(int index);
    void ChNum_MouseMove();
    void lblBaseKey_MouseMove();
    void lblBeat_MouseMove();
    void lblInstrument_MouseMove();
    void lblBank_MouseMove(int index);
    void lblDrums_MouseMove(int index);
    void lblBeatCtrl_MouseMove(int index);

    // Volume and tempo sliders. X and Y are twips when Button is 1, pixels otherwise.
    void lblVolume_MouseDown(int button, int shift, float x, float y);
    void lblVolume_MouseMove(int button, int shift, float x, float y);
    void lblVolume_MouseUp();
    void lblVolume_DblClick();
    void lblIntro_MouseDown(int button, int shift, float x, float y);
    void lblIntro_MouseMove(int button, int shift, float x, float y);
    void lblIntro_MouseUp();
    void lblIntro_DblClick();

    // Moving the window.
    void Form_MouseDown(int button, int shift, float x, float y);
    void lbl_Move_MouseDown(int index, int button, int shift, float x, float y);

    // Window buttons and menus.
    void Butt_Click(int index);
    void lblOver_MouseDown(int button, int shift, float x, float y);
    void mnu_exit_Click();
    void mnu_manual_Click();
    void mnu_shortcuts_Click();
    void mnu_about_Click();
    void mnu_update_Click();
    void mnu_license_Click();
    void mnu_email_Click();
    void mnu_bug_Click();
    void mnu_tellfriend_Click();

    // The piano keys under the mouse and under fingers, in pixels of the window. The mouse plays
    // them only while "mnu_mousekeys" is checked; otherwise a press there opens the right-click
    // menu. A touch point leaving the keys, or going up, ends its note. The mouse plays from a
    // left press on the keys until any button goes up, a move comes without the left button
    // (`buttons`: left 1, right 2, middle 4), a popup opens or the focus goes.
    bool mousePlaysKeys() const { return mnu_mousekeys.checked; }
    bool mousePlaying() const { return mousePlaying_; }
    int pianoKeyAt(int x, int y) const;
    void PianoKeys_MouseDown(int button, int shift, float x, float y);
    void PianoKeys_MouseMove(int buttons, int shift, float x, float y);
    void PianoKeys_MouseUp(int button);
    void PianoKeys_TouchBegin(int touchId, float x, float y);
    void PianoKeys_TouchMove(int touchId, float x, float y);
    void PianoKeys_TouchEnd(int touchId);
    void PianoKeys_TouchCancel();
    void mnu_mousekeys_Click();

    // MIDI coming in from keyboards and other programs.
    void MidiIn_Received();
    void mnuMidiIn_Click(int index);

    // Recording what is played to a MIDI file, and playing it back.
    void mnu_record_Click();
    void mnu_playrec_Click();
    void mnu_recfolder_Click();
    void tmrPlay_Timer();

    // Songs to play along with, Wait for Me, and pieces exported as sound.
    void mnu_opensong_Click();
    void openSong(const std::string& path);
    // A file dropped on the window; false when it is nothing the window opens.
    bool Form_FileDropped(const std::string& path);
    void mnu_waitforme_Click();
    void mnuPart_Click(int index);
    void mnu_export_Click();
    void tmrSong_Timer();
    void tmrExport_Timer();

    // The built-in synthesizer's sound: a SoundFont of the player's own, reverb and chorus.
    void mnu_soundfont_Click();
    void loadSoundFont(const std::string& path);
    void mnu_reverb_Click();
    void mnu_chorus_Click();
    void tmrSound_Timer();
    // The SoundFont that sounds, or loads, and the effects, for a screen reader.
    std::string soundDescription() const;
    // The open song's name, where it is, and what it does, for a screen reader; empty with no
    // song open.
    std::string songDescription() const;
    std::string songPlace() const;
    bool songPlaying() const { return songPlayer_ != nullptr; }
    // A line the status line shows while a song plays, which changes by itself.
    bool statusShowsSong() const { return !PCap.caption.empty() && PCap.caption == songLine_; }
    // A line the status line shows while a SoundFont loads, which changes by itself.
    bool statusShowsLoading() const {
        return !PCap.caption.empty() && PCap.caption == loadingLine_;
    }
    // What a computer key shows on piano key `key` (0..35).
    std::string keyLegend(int key) const;

    // Runs the handler of a chosen menu item.
    void menuChosen(const MenuChoice& choice);

    std::string programDirectory() const { return programDirectory_; }
    bool isUnloaded() const { return unloaded_; }
    // Where help/manual.htm and help/shortcuts.htm live; the program directory's help folder by
    // default.
    std::string helpDirectory;
    // Closes the splash window while it is still up; set by the front end.
    std::function<void()> unloadSplash;
    std::string pathInProgramDirectory(const std::string& fileName) const;

    // Controls.
    std::string Tag = "0";  // stay on top
    Label PCap;
    Label lblInstrument, ChNum, lblBaseKey, lblCH;
    Label lblVolume, lblIntro, lblIntrHold;
    Label lblVol, lblTmpo;  // pointer offsets, as text
    Label lblOver, lblBeat;
    std::array<Label, 5> lblBeatCtrl;
    std::array<Label, 4> lbl_Move;
    // Window buttons and their highlight pictures; a button shows no picture when dark.
    std::array<Picture, 6> Butt;
    std::array<Picture, 6> imgBut;
    Picture VolPtr, IntPtr, VolNormal, VolOver, IntroNormal, IntroOver;
    int lblMoveMousePointer = 0;  // 99 while a drag strip moves the window
    std::array<Label, 4> lblBank;
    std::array<Shape, 36> shpKeys;
    std::array<Shape, 36> wkeys;
    std::array<Shape, 12> shpDrums;
    std::array<Label, 12> lblDrums;
    std::array<Label, 36> KK;  // key labels
    Timer tmrCap{.enabled = false, .interval = 700};
    Timer tmrBeat{.enabled = false, .interval = 80};
    Timer tmrPlay{.enabled = false, .interval = 1};      // plays a recording back, or a song
    Timer tmrSong{.enabled = false, .interval = 250};    // a song's place on the status line
    Timer tmrExport{.enabled = false, .interval = 100};  // an export's progress
    Timer tmrSound{.enabled = false, .interval = 100};   // a SoundFont's load
    // Lit while a recording is made.
    Shape shpRec;
    Label lblRec;
    // Lit while the sustain pedal is down.
    Shape shpPedal;
    Label lblPedal;
    // Where recordings are saved, and the home folder they are shown from.
    std::string recordingsDirectory;
    std::string homeDirectory;

    // Menus, popped up only. Each is held once, as the tree its popup shows, and popped up by
    // reference; the names below refer into those trees, which never change shape.
    std::array<MenuItem, 5> mnuMain = mainMenus();  // Piano, Drum, Beat, Device (settings), Key
    std::vector<MenuItem>& mnuPiano = mnuMain[0].children;
    std::vector<MenuItem>& mnuDrum = mnuMain[1].children;
    std::vector<MenuItem>& mnuBeat = mnuMain[2].children;
    std::vector<MenuItem>& mnuDevice = mnuMain[3].children[1].children;
    std::vector<MenuItem>& mnuBaseKey = mnuMain[4].children;
    std::vector<MenuItem>& mnuMidiIn = mnuMain[3].children[2].children;
    MenuItem& mnu_mousekeys = mnuMain[3].children[3];
    MenuItem& mnu_soundfont = mnuMain[3].children[5];
    MenuItem& mnu_reverb = mnuMain[3].children[6];
    MenuItem& mnu_chorus = mnuMain[3].children[7];
    MenuItem& mnu_KeyboardType = mnuMain[3].children[0].children[0];
    MenuItem& mnu_keyOther = mnuMain[3].children[0].children[1];
    MenuItem mnu_RMNU = rightClickMenu();
    MenuItem& mnu_Rshowklbl = mnu_RMNU.children[0];
    MenuItem mMenu, mnu_help;

    // Window height in twips.
    int Height = 0;

    PerformanceState state;
    std::vector<BeatStyle> beatStyles;
    Settings settings;
    MidiOut midiOut;

  private:
    // Lights: key i is lit while its computer key is down or another hand holds its note at the
    // present base note; a pad while its key is down or another hand holds its sound.
    void showKey(size_t i);
    void showPad(size_t j);
    void showHeldNotes();
    void pedalDown(Hand hand, bool down);
    void showPedal();
    void releaseHands(std::initializer_list<Hand::Kind> kinds);
    // Before the output closes: what came in ends on the device that plays it.
    void endIncoming();
    void playIncoming(const MidiInputEvent& event);
    void connectNewSources();
    void buildMidiInputMenu();
    void refreshDeviceMenu();
    bool deviceAway_ = false;
    void playKeyWith(Hand hand, int key);
    // The preferences, with what went wrong with their file told.
    std::string preferenceText(const std::string& key);
    void setPreferenceText(const std::string& key, const std::string& value);
    // Reverb or chorus switched from its menu item, kept, and told on the status line.
    void toggleEffect(MenuItem& item, const std::string& key, const std::string& name);
    std::vector<std::string> preferenceList(const std::string& key);
    void setPreferenceList(const std::string& key, const std::vector<std::string>& values);
    void tellPreferenceFailures();
    // A failure, told once on the status line and beyond the window. Before the window is first
    // active, the status line shows it then.
    void tell(const std::string& text);
    void showNotices();
    void noteStepDown(int keyCode, int shift);
    void noteStepUp(int keyCode);
    void releaseAllKeys();
    // Before and after a time away from the keys: a popup menu, another window.
    void suspendKeys();
    void resumeKeys();
    void quickJump(int keyCode);
    void resetLights();
    void nudgeVolume(float step);
    void nudgeTempo(float step);
    void stepProgram(int program);
    void stepBaseNote(int direction);
    int16_t& bankProgramFromTag(const std::string& tag);
    // Selects a program without marking it for the selected bank.
    void jumpToProgram(int program);
    bool stayOnTopIsOn() const;
    void showModal(const std::function<void()>& show);
    bool transportGateOpen(int index) const;
    void setTransportLit(int index, bool lit);
    bool transportLit(int index) const;
    void showMidiUnavailable();
    void loadNames();
    void buildMenus();
    void buildWindowMenus();
    void setMenuCaptions();
    void layoutControls();
    void layoutKeyLabels();
    static std::array<MenuItem, 5> mainMenus();
    static MenuItem rightClickMenu();
    void popUp(const MenuItem& menu, int x, int y, bool eitherButton);
    // A pad's sound and its label's record of it change together.
    void setPadNote(size_t pad, int16_t note);

    Clock& clock();
    void recordSent(uint32_t message);
    // `atExit`: no one is left to answer a box.
    void finishRecording(bool atExit = false);
    void keepUnsavedRecording();
    void takeKeptRecording();
    void reportKeptRecording();
    // `path` from "~" where it is in the home folder.
    std::string shownPath(const std::string& path) const;
    // `early`: before the recording's end, dropping what waits to leave.
    void stopPlayback(bool early = true);
    void waitForPlayback(int64_t ms);
    void setRecordingChecks();
    void setSongMenus();
    void startSong();
    void songTick();
    void stopSong(bool early);
    void scheduleSong();
    void showSongLights();
    void songTempoChanged();
    void songNotePlayed(int channel, int note);
    std::string songStatus(SongPlayer::TimePoint now) const;
    double songSpeed() const;
    std::optional<int> waitPart() const;
    int lowestKeyNote() const;
    void finishExport();
    // Looks for news of the sound while there may be some.
    void watchSound();

    // The timer whose tick is sending: a recording forgets what a stopped timer sent ahead.
    struct SendingFor {
        SendingFor(frmPiano& piano, const void* timer) : piano_(piano) {
            piano_.sendingFor_ = timer;
        }
        ~SendingFor() { piano_.sendingFor_ = nullptr; }
        SendingFor(const SendingFor&) = delete;
        SendingFor& operator=(const SendingFor&) = delete;
        frmPiano& piano_;
    };
    const void* sendingFor_ = nullptr;
    SoundingNotes rhythmNotes_;  // what the rhythm played since it last stopped

    KeyboardInput keyboard_;
    NoteHolders holders_{midiOut};
    // The key each hand holds: the mouse's, and every finger's by its touch point.
    int mouseKey_ = -1;
    bool mousePlaying_ = false;
    std::vector<std::pair<int, int>> touchKeys_;
    std::array<bool, 36 + 12> heldElsewhere_{};  // keys, then pads, as last shown
    std::vector<std::string> knownSources_;
    std::vector<MidiInputEvent> incoming_;
    std::unique_ptr<Take> take_;
    std::unique_ptr<Playback> playback_;
    std::shared_ptr<const Song> song_;
    std::string songFolder_;
    bool waitForMe_ = false;
    bool playsSong_ = false;  // Ctrl+P plays the song rather than the last recording
    std::optional<int> songPart_;
    std::unique_ptr<SongPlayer> songPlayer_;
    SongPlayer::TimePoint lastSongTick_{};
    SongPlayer::TimePoint placeAt_{};            // when the song's place was last shown
    std::string songLine_;                       // as last written to the status line
    std::array<uint8_t, 36 + 12> songLights_{};  // keys, then pads: 1 sounding, 2 awaited
    std::unique_ptr<SoundExportRun> export_;
    std::string soundFontChosen_;  // loading since the player chose it
    std::string loadingLine_;      // as last written to the status line
    std::string exportPath_;
    int64_t playbackWaitLeft_ = 0;  // ms still to wait after the timer's present interval
    std::optional<std::vector<TimedMessage>> lastRecording_;
    std::string lastRecordingPath_;
    // Kept at the last exit, told of once the window is up; the usual name was taken then.
    std::vector<std::string> keptRecordings_;
    bool keptUnderAnotherName_ = false;
    // Failures for the status line, shown once the window has been active.
    std::vector<std::string> untold_;
    bool active_ = false;
    std::vector<BeatSection> beatSections_;  // of the chosen style
    FrmPianoServices services_;
    std::string programDirectory_;
    bool unloaded_ = false;
};

}  // namespace tonvel
