#pragma once

#include <array>

// Places on the main window's skin, in pixels of its 522 x 251 client area. The artwork
// generator draws the faces here and the program lays its controls over them.
namespace tonvel::skin {

struct Box {
    int left;
    int top;
    int width;
    int height;
};

inline constexpr int kWidth = 522;
inline constexpr int kHeight = 251;

inline constexpr Box kStatusLine{120, 49, 280, 16};
inline constexpr std::array<Box, 6> kWindowButtons{{
    {91, 39, 14, 12}, {113, 30, 14, 12}, {135, 23, 14, 12},
    {371, 23, 14, 12}, {392, 29, 14, 12}, {413, 38, 14, 12},
}};
inline constexpr Box kKeyArea{95, 137, 335, 73};  // lblOver
inline constexpr Box kVolumeTrack{201, 114, 61, 8};
inline constexpr Box kVolumeHitArea{203, 113, 58, 10};
inline constexpr Box kTempoTrack{337, 89, 8, 39};
inline constexpr Box kTempoHitArea{336, 91, 11, 36};

inline constexpr Box kInstrumentName{100, 72, 170, 14};
inline constexpr Box kChannelNumber{100, 90, 30, 14};
inline constexpr Box kBaseNote{136, 90, 24, 14};
inline constexpr std::array<Box, 4> kBankButtons{{
    {100, 110, 22, 14}, {124, 110, 22, 14}, {148, 110, 22, 14}, {172, 110, 22, 14},
}};
inline constexpr Box kBeatName{355, 72, 75, 14};
inline constexpr std::array<Box, 5> kTransportButtons{{
    {355, 110, 14, 14}, {370, 110, 14, 14}, {385, 110, 14, 14}, {400, 110, 14, 14}, {415, 110, 14, 14},
}};
inline constexpr std::array<Box, 4> kDragStrips{{
    {0, 40, 90, 211}, {432, 40, 90, 211}, {150, 0, 220, 45}, {90, 212, 342, 39},
}};

}  // namespace tonvel::skin
