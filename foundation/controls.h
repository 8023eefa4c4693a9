#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tonvel {

// Colour values are 0x00BBGGRR.
inline constexpr uint32_t kLabelNormal = 128;     // dark red
inline constexpr uint32_t kLabelHighlight = 255;  // bright red

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool contains(int x, int y) const {
        return x >= left && y >= top && x < left + width && y < top + height;
    }
    bool operator==(const Rect&) const = default;
};

struct Label {
    std::string caption;
    std::string tag;
    std::string toolTip;
    uint32_t foreColor = kLabelNormal;
    bool visible = true;
    Rect rect;               // pixels of the client area
    float fontSize = 8.25f;  // points
    bool bold = false;
    // An '&' in the caption marks the next letter as an access key; otherwise it is shown as it
    // is, as every text from outside must be.
    bool showAccessKey = false;
};

// A light drawn over the skin: a key or a drum pad.
struct Shape {
    bool exists = true;  // black keys have no upper light
    bool visible = false;
    uint32_t fillColor = 0;
    uint32_t borderColor = 0;
    Rect rect;  // twips (15 per pixel)
};

// A picture control: `picture` names an image of the skin, empty for none.
struct Picture {
    std::string picture;
    std::string toolTip;
    Rect rect;  // pixels
};

// The front end ticks enabled timers every `interval` ms.
struct Timer {
    bool enabled = false;
    int interval = 0;
};

struct MenuItem {
    std::string name;  // handler family, e.g. "mnuPiano"
    int index = -1;    // element of a control array, -1 for a single item
    std::string caption;
    bool checked = false;
    bool enabled = true;
    bool visible = true;
    bool separator = false;
    std::string tag;
    std::vector<MenuItem> children;  // non-empty for a submenu
    // A caption from outside (a file, the system): an '&' in it is shown, never an access key.
    bool literalCaption = false;
};

struct MenuChoice {
    std::string name;
    int index = -1;
    bool operator==(const MenuChoice&) const = default;
};

}  // namespace tonvel
