#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "mixer/mixer_device.h"

namespace tonvel::testing {

struct MixerWrite {
    uint32_t controlId;
    int32_t value;
    bool operator==(const MixerWrite&) const = default;
};

// A mixer with the controls a test gives it. Records every call; refuses identifier 0,
// unknown identifiers and values outside a control's range, as a real mixer does.
class FakeMixer : public MixerDevice {
  public:
    int devices = 1;
    bool openSucceeds = true;
    bool readsFail = false;
    std::optional<int> openDevice;
    std::vector<int> openedDevices;
    int closeCount = 0;
    std::vector<MixerWrite> writes;  // refused ones too
    int readCount = 0;
    // The current value of each control, which a test may change as the user would.
    std::map<uint32_t, int32_t> values;

    // Gives the mixer a control with the next free identifier, starting at `value`.
    MixerControl addControl(MixerLine line, MixerControlType type, int32_t minimum, int32_t maximum,
                            int32_t value = 0);
    int32_t& valueOf(MixerLine line, MixerControlType type);

    int deviceCount() override { return devices; }
    bool open(int deviceNumber) override;
    void close() override;
    MixerControl findControl(MixerLine line, MixerControlType type) override;
    bool setValue(uint32_t controlId, int32_t value) override;
    std::optional<int32_t> getValue(uint32_t controlId) override;

  private:
    const MixerControl* controlWithId(uint32_t controlId) const;

    std::map<std::pair<MixerLine, MixerControlType>, MixerControl> controls_;
    uint32_t nextId_ = 1;
};

}  // namespace tonvel::testing
