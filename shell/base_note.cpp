#include "shell/frm_piano.h"

namespace tonvel {

void frmPiano::lblBaseKey_Click() {
    lblBaseKey.foreColor = kLabelHighlight;
    popUp(mnuMain[4], lblBaseKey.rect.left, lblBaseKey.rect.top + lblBaseKey.rect.height, false);
    SStatus("bkey");
    lblBaseKey.foreColor = kLabelNormal;
}

void frmPiano::mnuBaseKey_Click(int index) {
    if (index < 0 || static_cast<size_t>(index) >= mnuBaseKey.size()) return;
    state.baseKey = static_cast<int16_t>(index);
    lblBaseKey.caption = mnuBaseKey[static_cast<size_t>(index)].caption;
    mnu_refresh_Click();
    showHeldNotes();
}

}  // namespace tonvel
