#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "foundation/controls.h"
#include "shell/frm_piano.h"

namespace tonvel {

// What a screen reader is told of the main window's painted controls: their names, values
// and states, read from the models alone so that any front end can hand them on.

enum class AccessibleRole { Button, Slider, StatusBar, Label };

enum class AccessibleKind {
    WindowButton,
    Bank,
    Instrument,
    Channel,
    BaseNote,
    Rhythm,
    Transport,
    Volume,
    Tempo,
    Pad,
    Key,
    StatusLine,
    RecordingMark,
    PedalMark,
    SongMark,   // the open song and what it does
    SongPlace,  // where it is
    SoundMark,  // the built-in synthesizer's SoundFont and effects
    Other,      // a control of another window
};

struct AccessibleValue {
    double current = 0;
    double minimum = 0;
    double maximum = 0;
    bool operator==(const AccessibleValue&) const = default;
};

struct AccessibleItem {
    AccessibleKind kind = AccessibleKind::Key;
    int index = 0;  // within its kind
    AccessibleRole role = AccessibleRole::Button;
    std::string name;
    std::string shortcut;
    bool pressed = false;  // a key or pad sounding, a transport button lit
    bool checkable = false;
    bool checked = false;  // the bank in use, stay-on-top on, recording on
    bool visible = true;
    Rect rect;              // pixels of the window
    bool hasValue = false;  // the sliders
    AccessibleValue value;
    bool quiet = false;  // its changes are never spoken: a song's running place

    bool operator==(const AccessibleItem&) const = default;
};

// Every control in reading order; the count and order never change, whatever the state.
std::vector<AccessibleItem> accessibleItems(const frmPiano& piano);

// A note as a player names it, "C# 4" for MIDI note 61.
std::string noteName(int midiNote);

struct AccessibleChange {
    size_t item = 0;
    bool nameChanged = false;
    bool valueChanged = false;
    bool stateChanged = false;
    bool operator==(const AccessibleChange&) const = default;
};

struct AccessibleDifference {
    std::vector<AccessibleChange> changes;
    // The one change worth speaking at once, if any: the item's index in the list.
    std::optional<size_t> announce;
};

// What changed between two looks at the same window. Keys and pads only change state, which
// is never spoken on its own: a played chord must not talk over the music.
AccessibleDifference accessibleDifference(const std::vector<AccessibleItem>& before,
                                          const std::vector<AccessibleItem>& after);

}  // namespace tonvel
