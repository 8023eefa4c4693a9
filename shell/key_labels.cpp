#include <cctype>

#include "foundation/product.h"
#include "shell/frm_piano.h"

namespace tonvel {

namespace {

struct KeyLabel {
    const char* caption;  // on a US keyboard
    size_t pianoKey;
    int left, top, width, height;  // twips
    float boldSize;                // 0 for the regular font
};

constexpr int kTwips = 15;
constexpr float kRegularSize = 8.25f;
constexpr float kMarkSize = 9.75f;

// Black-key labels first (white text), then the white keys' (black text).
constexpr size_t kBlackLabels = 15;
constexpr std::array<KeyLabel, 36> kKeyLabels = {{
    {"S", 1, 1575, 2250, 135, 195, 0},      {"D", 3, 1830, 2250, 135, 195, 0},
    {"G", 6, 2310, 2250, 135, 195, 0},      {"H", 8, 2550, 2250, 135, 195, 0},
    {"J", 10, 2775, 2250, 135, 195, 0},     {"L", 13, 3285, 2250, 105, 195, 0},
    {";", 15, 3495, 2220, 135, 195, 8.25f}, {"2", 18, 3975, 2250, 135, 195, 0},
    {"3", 20, 4215, 2250, 135, 195, 0},     {"4", 22, 4455, 2250, 135, 195, 0},
    {"6", 25, 4935, 2250, 135, 195, 0},     {"7", 27, 5175, 2250, 135, 195, 0},
    {"9", 30, 5655, 2250, 135, 195, 0},     {"0", 32, 5895, 2250, 135, 195, 0},
    {"-", 34, 6150, 2220, 135, 240, 9.75f}, {"Z", 0, 1455, 2820, 165, 195, 0},
    {"X", 2, 1710, 2820, 135, 195, 0},      {"C", 4, 1950, 2820, 135, 195, 0},
    {"V", 5, 2190, 2820, 135, 195, 0},      {"B", 7, 2415, 2820, 135, 195, 0},
    {"N", 9, 2685, 2820, 135, 195, 0},      {"M", 11, 2910, 2820, 135, 195, 0},
    {",", 12, 3165, 2745, 135, 240, 9.75f}, {".", 14, 3390, 2745, 135, 240, 9.75f},
    {"/", 16, 3615, 2820, 135, 195, 0},     {"Q", 17, 3870, 2820, 135, 195, 0},
    {"W", 19, 4080, 2820, 165, 195, 0},     {"E", 21, 4335, 2820, 135, 195, 0},
    {"R", 23, 4590, 2820, 135, 195, 0},     {"T", 24, 4815, 2820, 135, 195, 0},
    {"Y", 26, 5070, 2820, 135, 195, 0},     {"U", 28, 5310, 2820, 135, 195, 0},
    {"I", 29, 5550, 2820, 135, 195, 0},     {"O", 31, 5790, 2820, 135, 195, 0},
    {"P", 33, 6015, 2820, 135, 195, 0},     {"[", 35, 6255, 2820, 135, 195, 0},
}};

// The tops of a row's captions in twips; a larger mark is centred on the same line.
constexpr int kBlackRowTop = 2250, kWhiteRowTop = 2820;
constexpr int kRegularHeight = 195, kMarkHeight = 240;

// A US character keeps the face and place drawn for it. Otherwise thin ASCII marks are bold
// and a little larger so they stay visible, and letters, digits and other scripts are
// regular, each on its row's line.
void styleCaption(Label& label, const KeyLabel& place, bool blackKey) {
    const std::string& text = label.caption;
    int top = place.top, height = place.height;
    if (text == place.caption) {
        label.bold = place.boldSize > 0;
        label.fontSize = label.bold ? place.boldSize : kRegularSize;
    } else {
        const auto first = static_cast<unsigned char>(text.empty() ? 0 : text[0]);
        label.bold = text.size() == 1 && first < 0x80 && std::ispunct(first);
        label.fontSize = label.bold ? kMarkSize : kRegularSize;
        height = label.bold ? kMarkHeight : kRegularHeight;
        top = (blackKey ? kBlackRowTop : kWhiteRowTop) - (height - kRegularHeight) / 2;
    }
    label.rect = {place.left / kTwips, top / kTwips, place.width / kTwips, height / kTwips};
}

}  // namespace

void frmPiano::layoutKeyLabels() {
    for (size_t i = 0; i < KK.size(); ++i) {
        const auto& k = kKeyLabels[i];
        KK[i] = Label{.caption = k.caption, .foreColor = i < kBlackLabels ? 0xFFFFFFu : 0x000000u};
        styleCaption(KK[i], k, i < kBlackLabels);
    }
}

void frmPiano::Form_KeyboardLayoutChange() {
    for (size_t i = 0; i < KK.size(); ++i) {
        const auto& place = kKeyLabels[i];
        std::string legend;
        if (services_.keyCaps && place.pianoKey < state.pianoKeyCodes.size())
            legend = services_.keyCaps->legend(state.pianoKeyCodes[place.pianoKey]);
        KK[i].caption = legend.empty() ? place.caption : legend;
        styleCaption(KK[i], place, i < kBlackLabels);
    }
}

void frmPiano::mnu_KeyboardType_Click() {
    // The layout's default pad sounds would replace the user's choices while the pads'
    // menus still showed them, and the exit save would lose them: the user's sounds stay.
    const auto chosen = state.drumPadNotes;
    KeyboardChanged();
    state.drumPadNotes = chosen;
    Form_KeyboardLayoutChange();
}

void frmPiano::mnu_keyOther_Click() {
    services_.dialogs.messageBox(
        std::string("To add other Keyboard Support,    \rPlease contact us at:\r") +
            kSupportAddress + "     ",
        MessageIcon::Information, MessageButtons::Ok, "..:: Other Keyboard Support ::..");
}

void frmPiano::mnu_Rshowklbl_Click() {
    const bool show = !mnu_Rshowklbl.checked;
    mnu_Rshowklbl.checked = show;
    for (auto& label : KK) label.visible = show;
}

}  // namespace tonvel

namespace tonvel {

std::string frmPiano::keyLegend(int key) const {
    for (size_t i = 0; i < kKeyLabels.size(); ++i)
        if (static_cast<int>(kKeyLabels[i].pianoKey) == key) return KK[i].caption;
    return "?";
}

}  // namespace tonvel
