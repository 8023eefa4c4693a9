#pragma once

// Where things sit on the main window's skin, in pixels of the client area. The artwork
// generator paints to these numbers and the front end places its controls on them.

#include <array>

#include "resources/piano_keys.h"

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

// The recording light and its word, in the empty corner left of the volume slider.
inline constexpr Rect kRecordingLight{104, 108, 9, 9};
inline constexpr Rect kRecordingWord{116, 106, 30, 13};
// The sustain pedal's light and word, below them.
inline constexpr Rect kPedalLight{104, 121, 9, 9};
inline constexpr Rect kPedalWord{116, 119, 30, 13};

// Transparent cover of the piano keys.
inline constexpr Rect kKeyCover{95, 137, 335, 73};

// Light panels whose text the program writes.
inline constexpr Rect kChannelLabel{99, 76, 28, 16};
inline constexpr Rect kInstrumentLabel{131, 76, 146, 16};
inline constexpr Rect kRhythmLabel{361, 76, 67, 16};
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

// Piano key i (semitones above the lowest key) in pixels: the wide lower face, and for
// white keys the narrow upper part between the black keys (empty for black keys).
inline constexpr int kPianoKeyCount = static_cast<int>(keys::kPianoKeys.size());

constexpr bool isBlackKey(int i) {
    return keys::isBlackKey(i);
}

constexpr Rect keyLower(int i) {
    constexpr int px = keys::kTwipsPerPixel;
    const auto& key = keys::kPianoKeys[static_cast<size_t>(i)];
    return isBlackKey(i) ? Rect{key.left / px, keys::kBlackTop / px, keys::kBlackWidth / px,
                                keys::kBlackHeight / px}
                         : Rect{key.left / px, keys::kWhiteTop / px, keys::kWhiteWidth / px,
                                keys::kWhiteHeight / px};
}

constexpr Rect keyUpper(int i) {
    constexpr int px = keys::kTwipsPerPixel;
    const auto& key = keys::kPianoKeys[static_cast<size_t>(i)];
    if (isBlackKey(i)) return {};
    return {key.upperLeft / px, keys::kUpperTop / px, key.upperWidth / px, key.upperHeight / px};
}

template <Rect (*place)(int)>
constexpr std::array<Rect, keys::kPianoKeys.size()> allKeys() {
    std::array<Rect, keys::kPianoKeys.size()> out{};
    for (int i = 0; i < kPianoKeyCount; ++i) out[static_cast<size_t>(i)] = place(i);
    return out;
}
inline constexpr auto kKeyLower = allKeys<keyLower>();
inline constexpr auto kKeyUpper = allKeys<keyUpper>();

// Drum pads, in keypad order: three columns, four rows.
inline constexpr int kDrumPadCount = static_cast<int>(keys::kPadPlaces.size());
inline constexpr int kDrumPadSize = keys::kPadSize / keys::kTwipsPerPixel;
constexpr Rect drumPad(int j) {
    const auto& pad = keys::kPadPlaces[static_cast<size_t>(j)];
    return {pad[0] / keys::kTwipsPerPixel, pad[1] / keys::kTwipsPerPixel, kDrumPadSize,
            kDrumPadSize};
}

}  // namespace tonvel::skin
