#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "mixer/mixer_device.h"

namespace tonvel {

// The mixer controls the volume control addresses by slot: slot k (0..6) is the volume
// of line kind k, slot k + 7 its mute switch; slots 14..20 stay empty.
class MixerMod {
  public:
    static constexpr int kSlotCount = 21;
    static constexpr int kMuteSlotOffset = 7;

    explicit MixerMod(MixerDevice& device) : device_(device) {}

    std::optional<int> mixerHandle;  // number of the open mixer device; empty when closed
    std::array<MixerControl, kSlotCount> lineControls{};

    // False when there is no such mixer or it cannot be opened; the table stays empty then.
    bool openMixer(int deviceNumber);
    void closeMixer();
    // Copies the control into dest when the open mixer has it; dest is left alone otherwise.
    bool findLineControl(MixerLine line, MixerControlType type, MixerControl& dest);
    // A range wider than 0..100 takes the value as a percentage of the maximum.
    bool setControlValue(const MixerControl& control, int32_t value);
    // A failed read gives 0.
    int32_t getControlValue(const MixerControl& control);

    // Slots outside the table read 0 or false and refuse writes.
    bool setLineVolume(int slot, int32_t percent);
    int32_t getLineVolume(int slot);
    bool setLineMute(int slot, bool on);
    bool getLineMute(int slot);

  private:
    const MixerControl* slotAt(int slot) const;

    MixerDevice& device_;
};

}  // namespace tonvel
