#include "shell/frm_piano.h"

#include <filesystem>

#include "performance/names_file.h"
#include "platform/file_write.h"
#include "resources/default_files.h"
#include "resources/skin_layout.h"

namespace tonvel {

namespace {

constexpr const char* kPadKeyNames[] = {"Numpad /", "Numpad *", "Numpad -", "Numpad 7",
                                        "Numpad 8", "Numpad 9", "Numpad 4", "Numpad 5",
                                        "Numpad 6", "Numpad 1", "Numpad 2", "Numpad 3"};

Rect toRect(const skin::Rect& box) {
    return {box.left, box.top, box.width, box.height};
}

}  // namespace

frmPiano::frmPiano(FrmPianoServices services, std::string programDirectory)
    : midiOut(services.midi, services.dialogs),
      services_(services),
      programDirectory_(std::move(programDirectory)) {
    helpDirectory = programDirectory_ + "/help";
    recordingsDirectory = programDirectory_ + "/recordings";
    midiOut.onSent = [this](uint32_t message) { recordSent(message); };
    holders_.onPress = [this](int channel, int note) { songNotePlayed(channel, note); };
    midiOut.onDropped = [this](const void* source, std::chrono::steady_clock::time_point after) {
        if (take_) take_->forget(source, after);
        // A stopped rhythm ends what it played, recorded like any note-off.
        if (source != &tmrBeat) return;
        for (uint32_t off : rhythmNotes_.silencing()) midiOut.sendMessage(off);
        rhythmNotes_.clear();
    };
    layoutControls();
    buildMenus();
    buildWindowMenus();
}

void frmPiano::layoutControls() {
    PCap = Label{.caption = ":: Tonvel 1.0 ::", .rect = toRect(skin::kStatusLine)};
    PCap.foreColor = 0x0000C0;
    lblInstrument = Label{.caption = "Acoustic String Ensemble 1",
                          .toolTip = "Alt + C",
                          .rect = toRect(skin::kInstrumentLabel)};
    ChNum = Label{.caption = "128", .toolTip = "Alt + N", .rect = toRect(skin::kChannelLabel)};
    lblBaseKey = Label{.caption = "C", .toolTip = "Ctrl + B", .rect = toRect(skin::kBaseNoteLabel)};
    lblCH = Label{.caption = "0", .visible = false};
    for (size_t i = 0; i < lblBank.size(); ++i) {
        const std::string key = "F" + std::to_string(i + 1);
        lblBank[i] = Label{.caption = key,
                           .toolTip = key + ", Ctrl + " + key,
                           .rect = toRect(skin::kBankButtons[i])};
    }
    lblVolume = Label{.toolTip = "Volume : 100%", .rect = toRect(skin::kVolumeHitArea)};
    lblIntro = Label{.toolTip = "Tempo : Normal", .rect = toRect(skin::kTempoHitArea)};
    lblIntrHold = Label{.caption = "0", .visible = false};
    lblVol = Label{.caption = "44", .visible = false};
    lblTmpo = Label{.caption = "11", .visible = false};
    lblVolume.tag = "0";
    lblIntro.tag = "0";
    lblOver = Label{.rect = toRect(skin::kKeyCover)};
    lblBeat = Label{.toolTip = "Alt I", .rect = toRect(skin::kRhythmLabel)};
    const char* transport[] = {"\u25B6", "\u23ED", "\u23F8", "\u25BC", "\u25A0"};
    for (size_t i = 0; i < lblBeatCtrl.size(); ++i)
        lblBeatCtrl[i] = Label{.caption = transport[i], .rect = toRect(skin::kTransportButtons[i])};
    for (size_t i = 0; i < lbl_Move.size(); ++i)
        lbl_Move[i] = Label{.toolTip = " Drag to Move Piano", .rect = toRect(skin::kDragStrips[i])};
    const char* buttonTips[] = {" Alt + M ",  " Alt + S ",  " Alt + H ",
                                " Ctrl + M ", " Ctrl + T ", " Ctrl + X "};
    for (size_t i = 0; i < Butt.size(); ++i) {
        Butt[i] = Picture{.toolTip = buttonTips[i], .rect = toRect(skin::kWindowButtons[i])};
        imgBut[i] = Picture{.picture = "butt" + std::to_string(i)};
    }
    VolNormal = Picture{.picture = "volnormal"};
    VolOver = Picture{.picture = "volover"};
    IntroNormal = Picture{.picture = "intronormal"};
    IntroOver = Picture{.picture = "introover"};
    VolPtr = Picture{.picture = VolNormal.picture, .rect = toRect(skin::kVolumePointer)};
    IntPtr = Picture{.picture = IntroNormal.picture, .rect = toRect(skin::kTempoPointer)};

    layoutKeyLabels();
    for (size_t i = 0; i < keys::kPianoKeys.size(); ++i) {
        const auto& light = keys::kPianoKeys[i];
        const bool white = !keys::isBlackKey(static_cast<int>(i));
        shpKeys[i] = Shape{.fillColor = kKeyLightFill, .borderColor = kKeyLightBorder};
        shpKeys[i].rect =
            white ? Rect{light.left, keys::kWhiteTop, keys::kWhiteWidth, keys::kWhiteHeight}
                  : Rect{light.left, keys::kBlackTop, keys::kBlackWidth, keys::kBlackHeight};
        wkeys[i] =
            Shape{.exists = white, .fillColor = kKeyLightFill, .borderColor = kKeyLightBorder};
        if (white)
            wkeys[i].rect = {light.upperLeft, keys::kUpperTop, light.upperWidth, light.upperHeight};
    }
    for (size_t j = 0; j < keys::kPadPlaces.size(); ++j) {
        shpDrums[j] = Shape{.visible = true, .fillColor = kPadAtRest, .borderColor = kPadBorder};
        shpDrums[j].rect = {keys::kPadPlaces[j][0], keys::kPadPlaces[j][1], keys::kPadSize,
                            keys::kPadSize};
        lblDrums[j] = Label{.tag = "0", .toolTip = kPadKeyNames[j] + std::string(" (+ Ctrl)")};
        lblDrums[j].rect = toRect(skin::drumPad(static_cast<int>(j)));
    }
    shpPedal = Shape{.visible = true, .fillColor = kPedalDark, .borderColor = 0x000000};
    const Rect pedal = toRect(skin::kPedalLight);
    shpPedal.rect = {pedal.left * 15, pedal.top * 15, pedal.width * 15, pedal.height * 15};
    lblPedal = Label{
        .caption = "PED", .foreColor = kPedalDark, .rect = toRect(skin::kPedalWord), .bold = true};
    shpRec = Shape{.visible = false, .fillColor = 0x0000FF, .borderColor = 0x000080};
    const Rect light = toRect(skin::kRecordingLight);
    shpRec.rect = {light.left * 15, light.top * 15, light.width * 15, light.height * 15};
    lblRec = Label{.caption = "REC",
                   .foreColor = 0x0000FF,
                   .visible = false,
                   .rect = toRect(skin::kRecordingWord),
                   .bold = true};
}

std::array<MenuItem, 5> frmPiano::mainMenus() {
    const char* captions[] = {"Piano", "Drum", "Beat", "Device", "Key"};
    std::array<MenuItem, 5> menus;
    for (size_t i = 0; i < menus.size(); ++i)
        menus[i] =
            MenuItem{.name = "mnuMain", .index = static_cast<int>(i), .caption = captions[i]};
    // The settings menu: the keyboard types (standard, other) and the devices.
    menus[3].children = {MenuItem{.name = "mnu_KType", .caption = "&Keyboard Type"},
                         MenuItem{.name = "mnu_midiDevice", .caption = "Midi &Device"},
                         MenuItem{.name = "mnu_midiInput", .caption = "Midi &Input"},
                         MenuItem{.name = "mnu_mousekeys", .caption = "&Mouse Plays Keys"},
                         MenuItem{.name = "mnu_soundsep", .separator = true},
                         MenuItem{.name = "mnu_soundfont", .caption = "Sound &Font..."},
                         // As FluidSynth starts, until the player says otherwise.
                         MenuItem{.name = "mnu_reverb", .caption = "&Reverb", .checked = true},
                         MenuItem{.name = "mnu_chorus", .caption = "C&horus", .checked = true}};
    menus[3].children[0].children.resize(2);
    return menus;
}

void frmPiano::buildMenus() {
    // Names come from ins.ins and devices from the system: their captions are shown as they are.
    mnuPiano = {
        MenuItem{.name = "mnuPiano", .index = 0, .caption = "Piano", .literalCaption = true}};
    mnuDrum = {MenuItem{.name = "mnuDrum", .index = 0, .caption = "Drum", .literalCaption = true}};
    mnuDevice = {
        MenuItem{.name = "mnuDevice", .index = 0, .caption = "Device", .literalCaption = true}};
    const char* notes[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
    mnuBaseKey.clear();
    for (int i = 0; i < 12; ++i)
        mnuBaseKey.push_back(MenuItem{.name = "mnuBaseKey", .index = i, .caption = notes[i]});
}

std::string frmPiano::pathInProgramDirectory(const std::string& fileName) const {
    return programDirectory_ + "/" + fileName;
}

void frmPiano::Form_Initialize() {
    extractDefaultFile(kResourceSettings, pathInProgramDirectory("con_set.dat"));
}

void frmPiano::Form_Load() {
    Height = 3760;
    state.maxProgram = 127;
    setMenuCaptions();
    KeyboardChanged();
    Form_KeyboardLayoutChange();

    settings.bankPrograms = {state.bankPrograms[0], state.bankPrograms[1], state.bankPrograms[2],
                             state.bankPrograms[3]};
    settings.drumPadNotes = state.drumPadNotes;
    for (const auto& failure : loadSettingsFile(pathInProgramDirectory("con_set.dat"), settings))
        services_.dialogs.messageBox(failure, MessageIcon::None, MessageButtons::Ok, kProgramTitle);
    // The program may have been ended while a box was open.
    if (unloaded_) return;
    for (size_t i = 0; i < 4; ++i) state.bankPrograms[i] = settings.bankPrograms[i];
    state.drumPadNotes = settings.drumPadNotes;
    for (size_t i = 0; i < lblBank.size(); ++i)
        lblBank[i].tag = std::to_string(state.bankPrograms[i]);
    for (size_t j = 0; j < lblDrums.size(); ++j)
        lblDrums[j].tag = std::to_string(state.drumPadNotes[j].value_or(0));

    midiOut.buildDeviceMenu(mnuDevice);
    midiOut.midiDeviceId = settings.midiDeviceId;
    // The settings file keeps the device's place in the list; ports come and go, and the name
    // finds it again.
    const std::string name = preferenceText("MidiDevice/Name");
    for (size_t i = 0; !name.empty() && i < mnuDevice.size(); ++i)
        if (mnuDevice[i].caption == name) midiOut.midiDeviceId = static_cast<int>(i);
    mnu_mousekeys.checked = preferenceText("Mouse/PlaysKeys") == "1";
    mnu_reverb.checked = preferenceText("Sound/Reverb") != "0";
    mnu_chorus.checked = preferenceText("Sound/Chorus") != "0";
    if (services_.sound)
        services_.sound->startWith(preferenceText("Sound/SoundFont"), mnu_reverb.checked,
                                   mnu_chorus.checked);
    midiOut.openMidiOut(mnuDevice);
    watchSound();
    connectNewSources();
    buildMidiInputMenu();

    beatStyles = loadBeatStyles();
    mnuBeat.clear();
    for (size_t i = 0; i < beatStyles.size(); ++i)
        mnuBeat.push_back(MenuItem{
            .name = "mnuBeat", .index = static_cast<int>(i), .caption = beatStyles[i].name});
    mnuBeat_Click(0);
    state.beatSection = -1;
    state.beatNextSection = -2;

    loadNames();
    state.noteVelocity = 127;
    mnuPiano_Click(state.bankPrograms[0]);
    mnuBaseKey_Click(4);
    lblIntro_DblClick();
    PianoSkin_MouseMove();
    takeKeptRecording();
}

void frmPiano::loadNames() {
    mnuPiano.resize(128, mnuPiano.front());
    mnuDrum.resize(32, mnuDrum.front());
    for (size_t i = 0; i < mnuPiano.size(); ++i) mnuPiano[i].index = static_cast<int>(i);
    for (size_t i = 0; i < mnuDrum.size(); ++i) mnuDrum[i].index = static_cast<int>(i);
    const auto names = loadNamesFile(pathInProgramDirectory("ins.ins"));
    if (!names) return;
    for (size_t i = 0; i < mnuPiano.size(); ++i)
        if (names->programs[i]) mnuPiano[i].caption = *names->programs[i];
    for (size_t i = 0; i < mnuDrum.size(); ++i)
        if (names->drums[i]) mnuDrum[i].caption = *names->drums[i];
}

void frmPiano::Form_GotFocus() {
    if (unloadSplash) unloadSplash();
    mnu_Rshowklbl.checked = settings.showKeyLabels == 0;
    mnu_Rshowklbl_Click();
    mnu_refresh_Click();
    if (settings.stayOnTop == 1) {
        Tag = "1";
        services_.window.setTopmost(true);
        Butt[4].picture = imgBut[4].picture;
    }
    const std::string manual = helpDirectory + "/manual.htm";
    const std::string marker = pathInProgramDirectory("firstrun.kvx");
    std::error_code error;
    if (std::filesystem::exists(manual, error) && !std::filesystem::exists(marker, error)) {
        const auto answer = services_.dialogs.messageBox(
            "Welcome to Tonvel \r\rBefore Running TNV for the First time.     \rWe request you to "
            "Read our users manual to know TNV features     \r\rClick 'Yes' to view 'Users Manual' "
            "Otherwise click 'No'\r\rNOTE: THIS MESSAGE WILL NOT BE DISPLAYED AGAIN!!              "
            "  ",
            MessageIcon::Question, MessageButtons::YesNo, ":: PLEASE READ CAREFULLY ::");
        if (answer == MessageAnswer::Yes) mnu_manual_Click();
        extractDefaultFile(kResourceSettings, marker);
    }
    reportKeptRecording();
    showNotices();
}

void frmPiano::Form_LostFocus() {
    // Key-ups go to whichever window has the focus now; release what is held here.
    suspendKeys();
}

void frmPiano::Form_QueryUnload() {
    services_.window.setTopmost(false);
    Tag = "0";
}

void frmPiano::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    services_.window.setTopmost(false);
    tmrBeat.enabled = tmrCap.enabled = tmrSound.enabled = false;
    // The settings first: what follows may wait on the output or the disk, and a session that
    // is ending does not wait long.
    settings.midiDeviceId = midiOut.midiDeviceId;
    settings.showKeyLabels = static_cast<int16_t>(mnu_Rshowklbl.checked ? 1 : 0);
    settings.stayOnTop = static_cast<int16_t>(Tag == "1" ? 1 : 0);
    for (size_t i = 0; i < 4; ++i) settings.bankPrograms[i] = state.bankPrograms[i];
    settings.drumPadNotes = state.drumPadNotes;
    saveSettingsFile(pathInProgramDirectory("con_set.dat"), settings);
    if (midiOut.midiDeviceId >= 0 && static_cast<size_t>(midiOut.midiDeviceId) < mnuDevice.size())
        setPreferenceText("MidiDevice/Name",
                          mnuDevice[static_cast<size_t>(midiOut.midiDeviceId)].caption);
    stopPlayback();
    // A sound file half made is taken away.
    if (export_) export_->cancel();
    export_.reset();
    tmrExport.enabled = false;
    releaseAllKeys();
    releaseHands({Hand::Kind::Mouse, Hand::Kind::Touch});
    pedalDown(Hand{Hand::Kind::Keys, kSpaceKey}, false);
    endIncoming();
    finishRecording(true);
    keepUnsavedRecording();
    midiOut.closeMidiOut();
    removeFile(pathInProgramDirectory("ins.ins"));
    removeFile(pathInProgramDirectory("license.txt"));
}

void frmPiano::menuChosen(const MenuChoice& choice) {
    // A menu open when the program ended hands its choice over after the unload.
    if (unloaded_) return;
    if (choice.name == "mnuPiano") {
        mnuPiano_Click(choice.index);
    } else if (choice.name == "mnuBeat") {
        mnuBeat_Click(choice.index);
    } else if (choice.name == "mnuDrum") {
        mnuDrum_Click(choice.index);
    } else if (choice.name == "mnuDevice") {
        mnuDevice_Click(choice.index);
    } else if (choice.name == "mnuMidiIn") {
        mnuMidiIn_Click(choice.index);
    } else if (choice.name == "mnu_mousekeys") {
        mnu_mousekeys_Click();
    } else if (choice.name == "mnu_soundfont") {
        mnu_soundfont_Click();
    } else if (choice.name == "mnu_reverb") {
        mnu_reverb_Click();
    } else if (choice.name == "mnu_chorus") {
        mnu_chorus_Click();
    } else if (choice.name == "mnuBaseKey") {
        mnuBaseKey_Click(choice.index);
    } else if (choice.name == "mnu_refresh") {
        mnu_refresh_Click();
    } else if (choice.name == "mnu_exit" || choice.name == "mnu_Rexit") {
        mnu_exit_Click();
    } else if (choice.name == "mnu_manual" || choice.name == "mnu_Rmanual") {
        mnu_manual_Click();
    } else if (choice.name == "mnu_shortcuts" || choice.name == "mnu_RkbShortcut") {
        mnu_shortcuts_Click();
    } else if (choice.name == "mnu_Rshowklbl") {
        mnu_Rshowklbl_Click();
    } else if (choice.name == "mnu_KeyboardType") {
        mnu_KeyboardType_Click();
    } else if (choice.name == "mnu_keyOther") {
        mnu_keyOther_Click();
    } else if (choice.name == "mnu_update") {
        mnu_update_Click();
    } else if (choice.name == "mnu_about") {
        mnu_about_Click();
    } else if (choice.name == "mnu_license") {
        mnu_license_Click();
    } else if (choice.name == "mnu_email") {
        mnu_email_Click();
    } else if (choice.name == "mnu_bug") {
        mnu_bug_Click();
    } else if (choice.name == "mnu_tellfriend") {
        mnu_tellfriend_Click();
    } else if (choice.name == "mnu_Rrecord") {
        mnu_record_Click();
    } else if (choice.name == "mnu_Rplay") {
        mnu_playrec_Click();
    } else if (choice.name == "mnu_Rrecfolder") {
        mnu_recfolder_Click();
    } else if (choice.name == "mnu_opensong" || choice.name == "mnu_Ropensong") {
        mnu_opensong_Click();
    } else if (choice.name == "mnu_waitforme" || choice.name == "mnu_Rwait") {
        mnu_waitforme_Click();
    } else if (choice.name == "mnuPart") {
        mnuPart_Click(choice.index);
    } else if (choice.name == "mnu_export" || choice.name == "mnu_Rexport") {
        mnu_export_Click();
    }
}

}  // namespace tonvel
