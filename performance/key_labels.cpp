#include "foundation/product.h"
#include "shell/frm_piano.h"

namespace tonvel {

namespace {

struct KeyLabel {
    const char* caption;
    int left, top, width, height;  // twips
    float boldSize;                // 0 for the regular font
};

// Black-key labels first (white text), then the white keys' (black text).
constexpr std::array<KeyLabel, 36> kKeyLabels = {{
    {"S", 1575, 2250, 135, 195, 0},     {"D", 1830, 2250, 135, 195, 0},
    {"G", 2310, 2250, 135, 195, 0},     {"H", 2550, 2250, 135, 195, 0},
    {"J", 2775, 2250, 135, 195, 0},     {"L", 3285, 2250, 105, 195, 0},
    {";", 3495, 2220, 135, 195, 8.25f}, {"2", 3975, 2250, 135, 195, 0},
    {"3", 4215, 2250, 135, 195, 0},     {"4", 4455, 2250, 135, 195, 0},
    {"6", 4935, 2250, 135, 195, 0},     {"7", 5175, 2250, 135, 195, 0},
    {"9", 5655, 2250, 135, 195, 0},     {"0", 5895, 2250, 135, 195, 0},
    {"-", 6150, 2220, 135, 240, 9.75f}, {"Z", 1455, 2820, 165, 195, 0},
    {"X", 1710, 2820, 135, 195, 0},     {"C", 1950, 2820, 135, 195, 0},
    {"V", 2190, 2820, 135, 195, 0},     {"B", 2415, 2820, 135, 195, 0},
    {"N", 2685, 2820, 135, 195, 0},     {"M", 2910, 2820, 135, 195, 0},
    {",", 3165, 2745, 135, 240, 9.75f}, {".", 3390, 2745, 135, 240, 9.75f},
    {"/", 3615, 2820, 135, 195, 0},     {"Q", 3870, 2820, 135, 195, 0},
    {"W", 4080, 2820, 165, 195, 0},     {"E", 4335, 2820, 135, 195, 0},
    {"R", 4590, 2820, 135, 195, 0},     {"T", 4815, 2820, 135, 195, 0},
    {"Y", 5070, 2820, 135, 195, 0},     {"U", 5310, 2820, 135, 195, 0},
    {"I", 5550, 2820, 135, 195, 0},     {"O", 5790, 2820, 135, 195, 0},
    {"P", 6015, 2820, 135, 195, 0},     {"[", 6255, 2820, 135, 195, 0},
}};

constexpr int kTwips = 15;

}  // namespace

void frmPiano::layoutKeyLabels() {
    for (size_t i = 0; i < KK.size(); ++i) {
        const auto& k = kKeyLabels[i];
        KK[i] =
            Label{.caption = k.caption,
                  .foreColor = i < 15 ? 0xFFFFFFu : 0x000000u,
                  .rect = {k.left / kTwips, k.top / kTwips, k.width / kTwips, k.height / kTwips},
                  .fontSize = k.boldSize > 0 ? k.boldSize : 8.25f,
                  .bold = k.boldSize > 0};
    }
}

void frmPiano::mnu_KeyboardType_Click() {
    // The layout's default pad sounds would replace the user's choices while the pads'
    // menus still showed them, and the exit save would lose them: the user's sounds stay.
    const auto chosen = state.drumPadNotes;
    KeyboardChanged();
    state.drumPadNotes = chosen;
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
