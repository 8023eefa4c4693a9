#include "shell/frm_piano.h"

namespace tonvel {

void frmPiano::Form_MouseDown(int, int, float, float) {
    services_.window.formDrag();
}

void frmPiano::lbl_Move_MouseDown(int, int button, int, float, float) {
    if (button != 1) return;
    lblMoveMousePointer = 99;
    services_.window.formDrag();
    lblMoveMousePointer = 0;
}

}  // namespace tonvel
