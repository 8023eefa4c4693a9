#include "mixer/volume_control.h"

namespace tonvel {

VolumeControl::VolumeControl(MixerDevice& device) : mixer_(device) {
    mixer_.openMixer(0);
}

VolumeControl::~VolumeControl() {
    mixer_.closeMixer();
}

void VolumeControl::setEnabled(bool on) {
    enabled_ = on;
    Timer1.enabled = on;
}

void VolumeControl::setVolume(int32_t percent) {
    if (!enabled_) return;
    volume_ = percent;
    mixer_.setLineVolume(deviceToControl_, percent);
}

void VolumeControl::setMute(bool on) {
    if (!enabled_) return;
    mute_ = on;
    mixer_.setLineMute(muteSlot(), on);
}

void VolumeControl::setDeviceToControl(int32_t kind) {
    if (!enabled_) return;
    deviceToControl_ = kind;
    volume_ = mixer_.getLineVolume(deviceToControl_);
    raiseVolumeChanged(volume_);
    mute_ = mixer_.getLineMute(muteSlot());
    raiseMuteChanged(mute_);
}

void VolumeControl::Timer1_Timer() {
    int32_t volume = mixer_.getLineVolume(deviceToControl_);
    if (volume != volume_) raiseVolumeChanged(volume);
    volume_ = volume;
    bool mute = mixer_.getLineMute(muteSlot());
    if (mute != mute_) raiseMuteChanged(mute);
    mute_ = mute;
}

// Any kind past the mute slots gives a slot outside the table, without overflowing.
int VolumeControl::muteSlot() const {
    if (deviceToControl_ >= MixerMod::kSlotCount) return MixerMod::kSlotCount;
    return deviceToControl_ + MixerMod::kMuteSlotOffset;
}

void VolumeControl::raiseVolumeChanged(int32_t& volume) {
    if (VolumeChanged) VolumeChanged(volume);
}

void VolumeControl::raiseMuteChanged(bool& mute) {
    if (MuteChanged) MuteChanged(mute);
}

}  // namespace tonvel
