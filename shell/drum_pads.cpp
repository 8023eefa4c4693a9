#include "foundation/number_text.h"
#include "shell/frm_piano.h"

namespace tonvel {

namespace {
constexpr int kFirstDrumNote = 35;
}  // namespace

void frmPiano::lblDrums_MouseDown(int index, int, int, float, float y) {
    if (index < 0 || index >= static_cast<int>(lblDrums.size())) return;
    const auto pad = static_cast<size_t>(index);
    for (auto& item : mnuDrum) item.checked = false;
    state.selectedDrumPad = static_cast<int16_t>(index);
    shpDrums[pad].fillColor = kPadSounding;
    if (const auto note = parseWholeNumber(lblDrums[pad].tag)) {
        const long item = *note - kFirstDrumNote;
        if (item >= 0 && item < static_cast<long>(mnuDrum.size()))
            mnuDrum[static_cast<size_t>(item)].checked = true;
    }
    lblOver.tag = std::to_string(index);
    // The twip offset is used as a pixel offset, as for the bank buttons.
    popUp(mnuMain[1], lblDrums[pad].rect.left + lblDrums[pad].rect.width, static_cast<int>(y),
          true);
    shpDrums[pad].fillColor = kPadAtRest;
    lblOver.tag.clear();
}

void frmPiano::mnuDrum_Click(int index) {
    const int note = index + kFirstDrumNote;
    for (const auto& pad : lblDrums) {
        const auto taken = parseWholeNumber(pad.tag);
        if (taken && *taken == note) {
            services_.dialogs.messageBox("This Sound is already Selected for <" + pad.toolTip +
                                             "> Key!  \rPlease select another Sound!",
                                         MessageIcon::Warning, MessageButtons::Ok, kProgramTitle);
            return;
        }
    }
    // The pad whose menu is open; the one opened last when the choice comes later.
    const auto open = parseWholeNumber(lblOver.tag);
    const long pad = open ? *open : state.selectedDrumPad;
    if (pad >= 0 && pad < static_cast<long>(lblDrums.size()))
        setPadNote(static_cast<size_t>(pad), static_cast<int16_t>(note));
}

void frmPiano::setPadNote(size_t pad, int16_t note) {
    state.drumPadNotes[pad] = note;
    lblDrums[pad].tag = std::to_string(note);
}

}  // namespace tonvel
