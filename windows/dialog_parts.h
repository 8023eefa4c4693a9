#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "foundation/controls.h"

namespace tonvel {

// Colours of the about and update windows (0x00BBGGRR).
inline constexpr uint32_t kBlack = 0x000000;
inline constexpr uint32_t kDarkRed = 0x000080;
inline constexpr uint32_t kRed = 0x0000FF;
// The system's 3-D highlight colour; the front end takes it from the platform's palette.
inline constexpr uint32_t kSystem3DHighlight = 0x80000014;

// Pictures of the skin the two windows show.
inline constexpr const char* kFaceNormal = "nbut0";
inline constexpr const char* kFaceHighlighted = "nbut1";
inline constexpr const char* kCloseNormal = "xit0";
inline constexpr const char* kCloseHighlighted = "xit1";
inline constexpr const char* kProgramIcon = "icon";

// A picture control that can also be hidden or disabled; a disabled one gets no mouse events.
struct PictureBox {
    Picture picture;
    bool visible = true;
    bool enabled = true;
};

// A horizontal line across the whole client width.
struct DrawnLine {
    int y = 0;
    uint32_t colour = 0;
};

// The colour of background line `i` (1 at the bottom): red, green and blue are i / 2 plus
// 240, 180 and 170, rounded half to even and capped at 255.
uint32_t backgroundColour(int i);

// `count` background lines upwards from the bottom of a client area `clientHeight` high, then
// the dark red separator at `separatorY` with its highlight line under it.
std::vector<DrawnLine> dialogLines(int clientHeight, int count, int separatorY);

// A label used as a button: held (Tag "1", bold) while a mouse button is down on it.
void holdButtonLabel(Label& label);
void releaseButtonLabel(Label& label);
bool buttonLabelHeld(const Label& label);

// The value of a one-digit text such as the characters of a version number; none for anything
// else.
std::optional<int> digitValue(char c);

}  // namespace tonvel
