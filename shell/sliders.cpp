#include <cmath>

#include "foundation/number_text.h"
#include "shell/frm_piano.h"

namespace tonvel {

namespace {

constexpr float kTwipsPerPixel = 15.0f;
constexpr float kVolumeTravel = 44.0f;
constexpr float kTempoTravel = 22.0f;

float offsetFrom(int button, float mouse, int pointerSize, float travel) {
    float offset =
        button == 1 ? mouse / kTwipsPerPixel - static_cast<float>(pointerSize) / 2 : mouse;
    if (offset < 0) offset = 0;
    if (offset > travel) offset = travel;
    return offset;
}

float readNumber(const std::string& text, float fallback) {
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    return end != text.c_str() ? value : fallback;
}

}  // namespace

void frmPiano::lblVolume_MouseMove(int button, int, float x, float) {
    VolPtr.picture = VolOver.picture;
    PCap.caption = "Volume";
    if (lblVolume.tag != "1") return;
    const float travel = static_cast<float>(lblVolume.rect.width - VolPtr.rect.width);
    const float offset = offsetFrom(button, x, VolPtr.rect.width, travel);
    VolPtr.rect.left = lblVolume.rect.left + static_cast<int>(std::lround(offset));
    state.noteVelocity =
        offset == 0 ? 0 : static_cast<int16_t>(std::lround(offset / kVolumeTravel * 127.0f));
    lblVol.caption = formatSingle(offset);
    SStatus("vol");
}

void frmPiano::lblVolume_MouseDown(int button, int shift, float x, float y) {
    lblVolume.tag = "1";
    lblVolume_MouseMove(button, shift, x, y);
}

void frmPiano::lblVolume_MouseUp() {
    lblVolume.tag = "0";
}

void frmPiano::lblVolume_DblClick() {
    lblVolume.tag = "1";
    lblVolume_MouseMove(1, 0, 0, 0);
    lblVolume.tag = "0";
}

void frmPiano::lblIntro_MouseMove(int button, int, float, float y) {
    IntPtr.picture = IntroOver.picture;
    PCap.caption = "Intro Tempo";
    if (lblIntro.tag != "1") return;
    const float travel = static_cast<float>(lblIntro.rect.height - IntPtr.rect.height);
    const float offset = offsetFrom(button, y, IntPtr.rect.height, travel);
    IntPtr.rect.top = lblIntro.rect.top + static_cast<int>(std::lround(offset));
    tmrBeat.interval = static_cast<int>(std::lround((offset + 0.5f) * 10.0f));
    const long tempo = std::lrint(100.0f - offset / kTempoTravel * 200.0f);
    lblIntrHold.caption = std::to_string(tempo);
    lblIntro.toolTip = "Tempo : " + lblIntrHold.caption;
    lblTmpo.caption = formatSingle(offset);
    SStatus("tmpo");
    songTempoChanged();
}

void frmPiano::lblIntro_MouseDown(int button, int shift, float x, float y) {
    lblIntro.tag = "1";
    lblIntro_MouseMove(button, shift, x, y);
}

void frmPiano::lblIntro_MouseUp() {
    lblIntro.tag = "0";
}

void frmPiano::lblIntro_DblClick() {
    lblIntro.tag = "1";
    lblIntro_MouseMove(0, 0, 0, 11);
    lblIntro.tag = "0";
}

void frmPiano::nudgeVolume(float step) {
    lblVolume.tag = "1";
    lblVolume_MouseMove(0, kShiftMask, readNumber(lblVol.caption, kVolumeTravel) + step, 0);
    lblVolume.tag = "0";
}

void frmPiano::nudgeTempo(float step) {
    lblIntro.tag = "1";
    lblIntro_MouseMove(0, kShiftMask, 0, readNumber(lblTmpo.caption, kTempoTravel / 2) + step);
    lblIntro.tag = "0";
}

}  // namespace tonvel
