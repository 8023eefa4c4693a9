#pragma once

#include <string>

#include "mixer/mixer_device.h"

struct _snd_mixer;

namespace tonvel {

// The system mixer through ALSA's simple mixer on one control device ("default" unless
// told otherwise), which is mixer 0 and the only one. Line kinds are the simple elements
// "Master", "Line", "Mic", "Synth", "CD", "PCM" and "Aux".
class AlsaMixerDevice : public MixerDevice {
  public:
    explicit AlsaMixerDevice(std::string controlName = "default");
    ~AlsaMixerDevice() override;
    AlsaMixerDevice(const AlsaMixerDevice&) = delete;
    AlsaMixerDevice& operator=(const AlsaMixerDevice&) = delete;

    int deviceCount() override;
    bool open(int deviceNumber) override;
    void close() override;
    MixerControl findControl(MixerLine line, MixerControlType type) override;
    bool setValue(uint32_t controlId, int32_t value) override;
    std::optional<int32_t> getValue(uint32_t controlId) override;

  private:
    std::string controlName_;
    _snd_mixer* mixer_ = nullptr;
};

}  // namespace tonvel
