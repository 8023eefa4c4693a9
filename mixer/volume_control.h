#pragma once

#include <cstdint>
#include <functional>

#include "foundation/controls.h"
#include "mixer/mixer_device.h"
#include "mixer/mixer_mod.h"

namespace tonvel {

// One line of the system mixer as volume and mute properties. While enabled, Timer1 polls
// the line and the events report changes made elsewhere; a handler may change the value
// the control keeps.
class VolumeControl {
  public:
    explicit VolumeControl(MixerDevice& device);
    ~VolumeControl();
    VolumeControl(const VolumeControl&) = delete;
    VolumeControl& operator=(const VolumeControl&) = delete;

    // While disabled, writes to the other properties are ignored and polling stops.
    bool Enabled() const { return enabled_; }
    void setEnabled(bool on);
    // Percent, 0..100.
    int32_t Volume() const { return volume_; }
    void setVolume(int32_t percent);
    bool Mute() const { return mute_; }
    void setMute(bool on);
    // Line kind, 0..6 (see MixerLine). Choosing a line reads it and raises both events.
    int32_t DeviceToControl() const { return deviceToControl_; }
    void setDeviceToControl(int32_t kind);

    std::function<void(int32_t&)> VolumeChanged;
    std::function<void(bool&)> MuteChanged;

    Timer Timer1{.enabled = true, .interval = 100};
    void Timer1_Timer();

  private:
    int muteSlot() const;
    void raiseVolumeChanged(int32_t& volume);
    void raiseMuteChanged(bool& mute);

    MixerMod mixer_;
    bool enabled_ = true;
    int32_t volume_ = 0;
    bool mute_ = false;
    int32_t deviceToControl_ = static_cast<int32_t>(MixerLine::WaveOutput);
};

}  // namespace tonvel
