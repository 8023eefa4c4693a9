#pragma once

#include <array>
#include <cstddef>

// The 36 piano keys and 12 drum pads of the main window, in twips (15 per pixel).
// The window's key lights sit exactly on these places, and the skin draws the keys
// under them.
namespace tonvel::keys {

inline constexpr int kTwipsPerPixel = 15;

struct KeyPlace {
    int left;       // the wide lower face of a white key, or the whole black key
    int upperLeft;  // a white key's narrow part between the black keys; 0 for a black key
    int upperWidth;
    int upperHeight;
};

inline constexpr int kWhiteTop = 2700, kWhiteWidth = 210, kWhiteHeight = 450;
inline constexpr int kBlackTop = 2085, kBlackWidth = 150, kBlackHeight = 600;
inline constexpr int kUpperTop = 2085;

inline constexpr std::array<KeyPlace, 36> kPianoKeys = {{
    {1425, 1425, 135, 675}, {1575, 0, 0, 0},        {1665, 1740, 60, 645}, {1815, 0, 0, 0},
    {1905, 1980, 135, 675}, {2145, 2145, 135, 675}, {2295, 0, 0, 0},       {2385, 2460, 60, 645},
    {2535, 0, 0, 0},        {2625, 2700, 60, 645},  {2775, 0, 0, 0},       {2865, 2940, 135, 675},
    {3105, 3105, 135, 675}, {3255, 0, 0, 0},        {3345, 3420, 60, 675}, {3495, 0, 0, 0},
    {3585, 3660, 135, 675}, {3825, 3825, 135, 675}, {3975, 0, 0, 0},       {4065, 4140, 60, 645},
    {4215, 0, 0, 0},        {4305, 4380, 60, 645},  {4455, 0, 0, 0},       {4545, 4620, 135, 675},
    {4785, 4785, 135, 675}, {4935, 0, 0, 0},        {5025, 5100, 60, 645}, {5175, 0, 0, 0},
    {5265, 5340, 135, 675}, {5505, 5505, 135, 675}, {5655, 0, 0, 0},       {5745, 5820, 60, 645},
    {5895, 0, 0, 0},        {5985, 6060, 60, 645},  {6135, 0, 0, 0},       {6225, 6300, 135, 675},
}};

constexpr bool isBlackKey(int i) {
    return kPianoKeys[static_cast<size_t>(i)].upperLeft == 0;
}

// Drum pads, left and top, in the order of the keypad keys: three columns, four rows.
inline constexpr int kPadSize = 135;
inline constexpr std::array<std::array<int, 2>, 12> kPadPlaces = {{
    {4275, 1350},
    {4440, 1350},
    {4605, 1350},
    {4275, 1500},
    {4440, 1500},
    {4605, 1500},
    {4275, 1650},
    {4440, 1650},
    {4605, 1650},
    {4275, 1800},
    {4440, 1800},
    {4605, 1800},
}};

}  // namespace tonvel::keys
