#include <optional>
#include <string>

#include "foundation/number_text.h"
#include "shell/frm_piano.h"

namespace tonvel {

int16_t& frmPiano::bankProgramFromTag(const std::string& tag) {
    const auto bank = parseWholeNumber(tag);
    return state.bankPrograms[bank && *bank >= 0 && *bank < 4 ? static_cast<size_t>(*bank) : 4];
}

void frmPiano::jumpToProgram(int program) {
    state.currentProgram = static_cast<int16_t>(program);
    if (!mnuMain[0].tag.empty()) bankProgramFromTag(mnuMain[0].tag) = state.currentProgram;
    midiOut.selectProgram(0, program);
    ChNum.caption = std::to_string(program + 1);
    const auto index = static_cast<size_t>(program);
    if (index < mnuPiano.size()) lblInstrument.caption = mnuPiano[index].caption;
}

void frmPiano::mnuPiano_Click(int index) {
    if (index < 0 || index > state.maxProgram) return;
    jumpToProgram(index);
    if (const auto bank = parseWholeNumber(ChNum.tag); bank && *bank >= 0 && *bank < 4)
        lblBank[static_cast<size_t>(*bank)].tag = std::to_string(index);
}

void frmPiano::lblBank_MouseDown(int index, int button, int, float, float y) {
    if (index < 0 || index > 3) return;
    auto& bank = lblBank[static_cast<size_t>(index)];
    for (auto& item : mnuPiano) item.checked = false;
    ChNum.tag = std::to_string(index);
    bank.foreColor = kLabelHighlight;
    if (button == 2) {
        mnuMain[0].tag = std::to_string(index);
        if (const auto checked = parseWholeNumber(bank.tag);
            checked && *checked >= 0 && static_cast<size_t>(*checked) < mnuPiano.size())
            mnuPiano[static_cast<size_t>(*checked)].checked = true;
        // The twip offset is used as a pixel offset, as it always has been.
        popUp(mnuMain[0], bank.rect.left + bank.rect.width, static_cast<int>(y), true);
        mnuMain[0].tag.clear();
        bank.foreColor = kLabelNormal;
    } else {
        lblInstrument.foreColor = kLabelHighlight;
        ChNum.foreColor = kLabelHighlight;
        mnuPiano_Click(state.bankPrograms[static_cast<size_t>(index)]);
    }
}

void frmPiano::lblBank_MouseUp(int index) {
    if (index >= 0 && index < 4) lblBank[static_cast<size_t>(index)].foreColor = kLabelNormal;
    lblInstrument.foreColor = kLabelNormal;
    ChNum.foreColor = kLabelNormal;
}

void frmPiano::lblInstrument_Click() {
    for (auto& item : mnuPiano) item.checked = item.caption == lblInstrument.caption;
    ChNum.tag.clear();
    lblInstrument.foreColor = kLabelHighlight;
    ChNum.foreColor = kLabelHighlight;
    popUp(mnuMain[0], lblInstrument.rect.left + lblInstrument.rect.width, 0, true);
    lblInstrument.foreColor = kLabelNormal;
    ChNum.foreColor = kLabelNormal;
}

void frmPiano::ChNum_Click() {
    lblInstrument.foreColor = kLabelHighlight;
    ChNum.foreColor = kLabelHighlight;
    const ScreenPoint origin = services_.window.mainWindowPosition();
    const auto answer = services_.dialogs.inputBox(
        "Please Enter the Channel Number from 1 to 128\r\rYou can also jump directly to any "
        "channel by Holding down the 'Alt' key and then Entering the channel number using "
        "Numpad.\r\rSee User Manual for more Information.",
        "..:: Quick Channel Jump ::..", ChNum.caption, origin.x + 12, origin.y + 10);
    const std::optional<int16_t> n = answer ? parseChannelAnswer(*answer) : std::nullopt;
    lblInstrument.foreColor = kLabelNormal;
    ChNum.foreColor = kLabelNormal;
    if (unloaded_) return;
    if (n && *n >= 1 && *n <= state.maxProgram + 1) jumpToProgram(*n - 1);
}

}  // namespace tonvel
