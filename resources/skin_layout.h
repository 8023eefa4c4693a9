#pragma once

// Where things sit on the main window's skin, in pixels of the client area. The artwork
// generator paints to these numbers and the front end places its controls on them.

#include <array>

namespace tonvel::skin {

struct Rect {
    int left;
    int top;
    int width;
    int height;

    constexpr int right() const { return left + width; }  // one past the last column
    constexpr int bottom() const { return top + height; }
    constexpr bool contains(int x, int y) const {
        return x >= left && y >= top && x < right() && y < bottom();
    }
};

inline constexpr int kWidth = 522;
inline constexpr int kHeight = 251;

// Main menu, settings, help, minimise, stay on top, exit.
inline constexpr int kWindowButtonCount = 6;
inline constexpr std::array<Rect, kWindowButtonCount> kWindowButtons{{
    {91, 39, 14, 12},
    {113, 30, 14, 12},
    {135, 23, 14, 12},
    {371, 23, 14, 12},
    {392, 29, 14, 12},
    {413, 38, 14, 12},
}};

inline constexpr Rect kStatusLine{120, 49, 280, 16};

// Sliders: the drawn track, the area that takes the mouse, and the pointer at its
// starting place (volume at the right end, tempo in the middle).
inline constexpr Rect kVolumeTrack{201, 114, 61, 8};
inline constexpr Rect kVolumeHitArea{203, 113, 58, 10};
inline constexpr Rect kVolumePointer{247, 112, 14, 11};
inline constexpr Rect kTempoTrack{337, 89, 8, 39};
inline constexpr Rect kTempoHitArea{336, 91, 11, 36};
inline constexpr Rect kTempoPointer{335, 102, 11, 14};

// Transparent cover of the piano keys.
inline constexpr Rect kKeyCover{95, 137, 335, 73};

// Light panels whose text the program writes.
inline constexpr Rect kChannelLabel{99, 76, 28, 16};
inline constexpr Rect kInstrumentLabel{131, 76, 146, 16};
inline constexpr Rect kRhythmLabel{358, 76, 70, 16};
inline constexpr Rect kBaseNoteLabel{366, 112, 46, 16};

// Bank buttons F1..F4: a 2 x 2 block on the left wing.
inline constexpr std::array<Rect, 4> kBankButtons{{
    {22, 84, 32, 18},
    {57, 84, 32, 18},
    {22, 106, 32, 18},
    {57, 106, 32, 18},
}};

// Rhythm transport on the right wing: play, fill, pause on the first row, ending and
// stop on the second.
enum Transport { kPlay, kFill, kPause, kEnding, kStop };
inline constexpr std::array<Rect, 5> kTransportButtons{{
    {434, 84, 22, 18},
    {458, 84, 22, 18},
    {482, 84, 22, 18},
    {434, 106, 34, 18},
    {470, 106, 34, 18},
}};

// Bare skin that moves the window when pressed: left, right, top, bottom.
enum DragStrip { kDragLeft, kDragRight, kDragTop, kDragBottom };
inline constexpr std::array<Rect, 4> kDragStrips{{
    {14, 136, 76, 96},
    {432, 136, 76, 96},
    {160, 13, 202, 31},
    {95, 214, 335, 28},
}};

// Piano key i (semitones above the lowest key): the wide lower face, and for white keys
// the narrow upper part between the black keys (empty for black keys).
inline constexpr int kPianoKeyCount = 36;
inline constexpr std::array<Rect, kPianoKeyCount> kKeyLower{{
    {95, 180, 14, 30},  {105, 139, 10, 40}, {111, 180, 14, 30}, {121, 139, 10, 40},
    {127, 180, 14, 30}, {143, 180, 14, 30}, {153, 139, 10, 40}, {159, 180, 14, 30},
    {169, 139, 10, 40}, {175, 180, 14, 30}, {185, 139, 10, 40}, {191, 180, 14, 30},
    {207, 180, 14, 30}, {217, 139, 10, 40}, {223, 180, 14, 30}, {233, 139, 10, 40},
    {239, 180, 14, 30}, {255, 180, 14, 30}, {265, 139, 10, 40}, {271, 180, 14, 30},
    {281, 139, 10, 40}, {287, 180, 14, 30}, {297, 139, 10, 40}, {303, 180, 14, 30},
    {319, 180, 14, 30}, {329, 139, 10, 40}, {335, 180, 14, 30}, {345, 139, 10, 40},
    {351, 180, 14, 30}, {367, 180, 14, 30}, {377, 139, 10, 40}, {383, 180, 14, 30},
    {393, 139, 10, 40}, {399, 180, 14, 30}, {409, 139, 10, 40}, {415, 180, 14, 30},
}};
inline constexpr std::array<Rect, kPianoKeyCount> kKeyUpper{{
    {95, 139, 9, 45},
    {},
    {116, 139, 4, 43},
    {},
    {132, 139, 9, 45},
    {143, 139, 9, 45},
    {},
    {164, 139, 4, 43},
    {},
    {180, 139, 4, 43},
    {},
    {196, 139, 9, 45},
    {207, 139, 9, 45},
    {},
    {228, 139, 4, 45},
    {},
    {244, 139, 9, 45},
    {255, 139, 9, 45},
    {},
    {276, 139, 4, 43},
    {},
    {292, 139, 4, 43},
    {},
    {308, 139, 9, 45},
    {319, 139, 9, 45},
    {},
    {340, 139, 4, 43},
    {},
    {356, 139, 9, 45},
    {367, 139, 9, 45},
    {},
    {388, 139, 4, 43},
    {},
    {404, 139, 4, 43},
    {},
    {420, 139, 9, 45},
}};

constexpr bool isBlackKey(int i) {
    const int step = i % 12;
    return step == 1 || step == 3 || step == 6 || step == 8 || step == 10;
}

// Drum pads, in keypad order: three columns, four rows.
inline constexpr int kDrumPadCount = 12;
inline constexpr int kDrumPadSize = 9;
constexpr Rect drumPad(int j) {
    return {285 + (j % 3) * 11, 90 + (j / 3) * 10, kDrumPadSize, kDrumPadSize};
}

}  // namespace tonvel::skin
