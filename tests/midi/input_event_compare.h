#pragma once

#include <ostream>

#include "midi/midi_input.h"

namespace tonvel {

inline bool operator==(const MidiInputEvent& a, const MidiInputEvent& b) {
    return a.kind == b.kind && a.source == b.source && a.message == b.message;
}

inline std::ostream& operator<<(std::ostream& out, const MidiInputEvent& e) {
    static const char* const kinds[] = {"Message", "SourceGone", "SourcesChanged"};
    return out << "{" << kinds[static_cast<int>(e.kind)] << " " << e.source << " 0x" << std::hex
               << e.message << std::dec << "}";
}

}  // namespace tonvel
