#include "shell/accessible_names.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "resources/piano_keys.h"

namespace tonvel {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kNoteOffset = 50;  // key 0 at base note 0
constexpr int kFirstDrumNote = 35;

// The hover help of each button, which is also what the status line shows for it.
constexpr std::array<const char*, 6> kWindowButtons = {"Main menu", "Settings menu", "Help menu",
                                                       "Minimize",  "Stay on Top",   "Exit piano"};
constexpr std::array<const char*, 5> kTransport = {"Play Current Intro", "Fill Effects",
                                                   "Pause Playing", "Play Ending", "Stop Playing"};
constexpr int kStayOnTop = 4;
constexpr size_t kPause = 2;

Rect pixelsOf(const Rect& twips) {
    return {twips.left / kTwipsPerPixel, twips.top / kTwipsPerPixel, twips.width / kTwipsPerPixel,
            twips.height / kTwipsPerPixel};
}

Rect unite(const Rect& a, const Rect& b) {
    const int left = std::min(a.left, b.left), top = std::min(a.top, b.top);
    const int right = std::max(a.left + a.width, b.left + b.width);
    const int bottom = std::max(a.top + a.height, b.top + b.height);
    return {left, top, right - left, bottom - top};
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The key labels list the black keys' first, then the white keys', each from the left.
size_t labelOfKey(int key) {
    const bool black = keys::isBlackKey(key);
    size_t before = 0;
    for (int k = 0; k < key; ++k)
        if (keys::isBlackKey(k) == black) ++before;
    size_t blacks = 0;
    for (size_t k = 0; k < keys::kPianoKeys.size(); ++k)
        if (keys::isBlackKey(static_cast<int>(k))) ++blacks;
    return black ? before : blacks + before;
}

std::string programName(const frmPiano& piano, int program) {
    const std::string number = std::to_string(program + 1);
    if (program < 0 || static_cast<size_t>(program) >= piano.mnuPiano.size()) return number;
    return number + " " + piano.mnuPiano[static_cast<size_t>(program)].caption;
}

std::string drumName(const frmPiano& piano, int note) {
    const int item = note - kFirstDrumNote;
    if (item >= 0 && static_cast<size_t>(item) < piano.mnuDrum.size())
        return piano.mnuDrum[static_cast<size_t>(item)].caption;
    return "Note " + std::to_string(note);
}

std::string rhythmState(const frmPiano& piano) {
    if (piano.tmrBeat.enabled) return "playing";
    if (piano.lblBeatCtrl[kPause].foreColor == kLabelHighlight) return "paused";
    return "stopped";
}

AccessibleItem item(AccessibleKind kind, int index, AccessibleRole role, std::string name,
                    const Rect& rect, std::string shortcut = {}) {
    return AccessibleItem{.kind = kind,
                          .index = index,
                          .role = role,
                          .name = std::move(name),
                          .shortcut = std::move(shortcut),
                          .rect = rect};
}

}  // namespace

std::string noteName(int midiNote) {
    static constexpr std::array<const char*, 12> names = {"C",  "C#", "D",  "D#", "E",  "F",
                                                          "F#", "G",  "G#", "A",  "A#", "B"};
    const int octave = midiNote / 12 - 1;
    return std::string(names[static_cast<size_t>(((midiNote % 12) + 12) % 12)]) + " " +
           std::to_string(octave);
}

std::vector<AccessibleItem> accessibleItems(const frmPiano& piano) {
    std::vector<AccessibleItem> items;
    for (size_t i = 0; i < piano.Butt.size(); ++i) {
        auto button =
            item(AccessibleKind::WindowButton, static_cast<int>(i), AccessibleRole::Button,
                 kWindowButtons[i], piano.Butt[i].rect, trimmed(piano.Butt[i].toolTip));
        if (i == kStayOnTop) {
            button.checkable = true;
            button.checked = piano.Tag == "1";
        }
        items.push_back(button);
    }
    for (size_t i = 0; i < piano.lblBank.size(); ++i) {
        const auto& bank = piano.lblBank[i];
        auto entry =
            item(AccessibleKind::Bank, static_cast<int>(i), AccessibleRole::Button,
                 "Bank " + bank.caption + ": " + programName(piano, piano.state.bankPrograms[i]),
                 bank.rect, bank.toolTip);
        entry.checkable = true;
        entry.checked = piano.ChNum.tag == std::to_string(i);
        items.push_back(entry);
    }
    items.push_back(item(AccessibleKind::Instrument, 0, AccessibleRole::Button,
                         "Instrument: " + piano.ChNum.caption + " " + piano.lblInstrument.caption,
                         piano.lblInstrument.rect, piano.lblInstrument.toolTip));
    items.push_back(item(AccessibleKind::Channel, 0, AccessibleRole::Button,
                         "Channel: " + piano.ChNum.caption, piano.ChNum.rect, piano.ChNum.toolTip));
    items.push_back(item(AccessibleKind::BaseNote, 0, AccessibleRole::Button,
                         "Base note: " + piano.lblBaseKey.caption, piano.lblBaseKey.rect,
                         piano.lblBaseKey.toolTip));
    const std::string style = piano.lblBeat.caption.empty() ? "none" : piano.lblBeat.caption;
    items.push_back(item(AccessibleKind::Rhythm, 0, AccessibleRole::Button,
                         "Rhythm: " + style + ", " + rhythmState(piano), piano.lblBeat.rect,
                         piano.lblBeat.toolTip));
    for (size_t i = 0; i < piano.lblBeatCtrl.size(); ++i) {
        auto button = item(AccessibleKind::Transport, static_cast<int>(i), AccessibleRole::Button,
                           kTransport[i], piano.lblBeatCtrl[i].rect, "F" + std::to_string(5 + i));
        button.pressed = piano.lblBeatCtrl[i].foreColor == kLabelHighlight;
        items.push_back(button);
    }

    auto volume = item(AccessibleKind::Volume, 0, AccessibleRole::Slider, "Volume",
                       piano.lblVolume.rect, "Shift + Left, Shift + Right");
    volume.hasValue = true;
    // In percent, as the status line tells it.
    volume.value = {
        static_cast<double>(std::lround(std::max(0, int{piano.state.noteVelocity}) / 1.27)), 0,
        100};
    items.push_back(volume);
    auto tempo = item(AccessibleKind::Tempo, 0, AccessibleRole::Slider, "Tempo",
                      piano.lblIntro.rect, "Shift + Up, Shift + Down");
    tempo.hasValue = true;
    tempo.value = {std::strtod(piano.lblIntrHold.caption.c_str(), nullptr), -100, 100};
    items.push_back(tempo);

    for (size_t j = 0; j < piano.lblDrums.size(); ++j) {
        const int note = piano.state.drumPadNotes[j].value_or(0);
        const std::string key =
            piano.lblDrums[j].toolTip.substr(0, piano.lblDrums[j].toolTip.find(" ("));
        auto pad = item(AccessibleKind::Pad, static_cast<int>(j), AccessibleRole::Button,
                        drumName(piano, note) + ", " + key, piano.lblDrums[j].rect,
                        piano.lblDrums[j].toolTip);
        pad.pressed = piano.shpDrums[j].fillColor == kPadSounding;
        items.push_back(pad);
    }
    for (size_t i = 0; i < piano.shpKeys.size(); ++i) {
        const int note = static_cast<int>(i) + piano.state.baseKey + kNoteOffset;
        const std::string& legend = piano.KK[labelOfKey(static_cast<int>(i))].caption;
        Rect rect = pixelsOf(piano.shpKeys[i].rect);
        if (piano.wkeys[i].exists) rect = unite(rect, pixelsOf(piano.wkeys[i].rect));
        auto key = item(AccessibleKind::Key, static_cast<int>(i), AccessibleRole::Button,
                        noteName(note) + ", key " + legend, rect, legend);
        key.pressed = piano.shpKeys[i].visible;
        items.push_back(key);
    }

    auto status = item(AccessibleKind::StatusLine, 0, AccessibleRole::StatusBar, piano.PCap.caption,
                       piano.PCap.rect);
    status.quiet = piano.statusShowsSong() || piano.statusShowsLoading();
    items.push_back(status);
    const bool recording = piano.lblRec.visible;
    auto mark = item(AccessibleKind::RecordingMark, 0, AccessibleRole::Label,
                     recording ? "Recording on" : "Recording off",
                     unite(pixelsOf(piano.shpRec.rect), piano.lblRec.rect), "Ctrl + R");
    mark.checkable = true;
    mark.checked = recording;
    items.push_back(mark);
    // Not announced: the pedal goes down and up with every phrase.
    const bool pedal = piano.shpPedal.fillColor == kPedalLit;
    auto pedalMark = item(AccessibleKind::PedalMark, 0, AccessibleRole::Label,
                          pedal ? "Sustain pedal down" : "Sustain pedal up",
                          unite(pixelsOf(piano.shpPedal.rect), piano.lblPedal.rect), "Space");
    pedalMark.checkable = true;
    pedalMark.checked = pedal;
    items.push_back(pedalMark);
    // Both over the status line, where the song shows.
    auto song = item(AccessibleKind::SongMark, 0, AccessibleRole::Label, piano.songDescription(),
                     piano.PCap.rect, "Ctrl + O, Ctrl + P");
    song.checkable = true;
    song.checked = piano.songPlaying();
    items.push_back(song);
    items.push_back(item(AccessibleKind::SongPlace, 0, AccessibleRole::Label, piano.songPlace(),
                         piano.PCap.rect));
    // Over the status line too, where a SoundFont's load shows.
    items.push_back(item(AccessibleKind::SoundMark, 0, AccessibleRole::Label,
                         piano.soundDescription(), piano.PCap.rect, "Alt + S"));
    return items;
}

AccessibleDifference accessibleDifference(const std::vector<AccessibleItem>& before,
                                          const std::vector<AccessibleItem>& after) {
    AccessibleDifference difference;
    if (before.size() != after.size()) return difference;
    // Lower is spoken first; one thing is spoken per look, the rest is there to be read.
    const auto rank = [](const AccessibleItem& item, const AccessibleChange& change) -> int {
        switch (item.kind) {
            case AccessibleKind::RecordingMark:
                return change.stateChanged ? 0 : -1;
            case AccessibleKind::SongMark:
            case AccessibleKind::SoundMark:
                return change.nameChanged ? 0 : -1;
            case AccessibleKind::Rhythm:
                return change.nameChanged ? 1 : -1;
            case AccessibleKind::Bank:
                return change.stateChanged && item.checked ? 2 : -1;
            case AccessibleKind::Instrument:
                return change.nameChanged ? 3 : -1;
            case AccessibleKind::BaseNote:
                return change.nameChanged ? 4 : -1;
            case AccessibleKind::WindowButton:
                return change.stateChanged ? 5 : -1;
            case AccessibleKind::StatusLine:
                return change.nameChanged && !item.name.empty() && !item.quiet ? 6 : -1;
            default:
                return -1;
        }
    };
    int best = -1;
    for (size_t i = 0; i < after.size(); ++i) {
        const auto& was = before[i];
        const auto& now = after[i];
        AccessibleChange change{
            .item = i,
            .nameChanged = was.name != now.name,
            .valueChanged = was.value != now.value,
            .stateChanged = was.pressed != now.pressed || was.checked != now.checked ||
                            was.visible != now.visible,
        };
        if (!change.nameChanged && !change.valueChanged && !change.stateChanged) continue;
        difference.changes.push_back(change);
        const int r = rank(now, change);
        if (r >= 0 && (best < 0 || r < best)) {
            best = r;
            difference.announce = i;
        }
    }
    return difference;
}

}  // namespace tonvel
