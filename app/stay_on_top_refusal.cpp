#include "app/stay_on_top_refusal.h"

#include "shell/frm_piano.h"

namespace tonvel {

void StayOnTopRefusal::settle(frmPiano& piano) {
    if (piano.Tag != "1") return;
    piano.Tag = "0";
    piano.Butt[4].picture.clear();
    if (!told_ || piano.PCap.caption == "Stay on Top : ON") {
        piano.PCap.caption = reason_;
        told_ = true;
    }
}

}  // namespace tonvel
