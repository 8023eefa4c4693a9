#pragma once

#include <cstdint>
#include <optional>

namespace tonvel {

// Line kinds in the order the volume control numbers them.
enum class MixerLine {
    MasterOutput,
    LineIn,
    Microphone,
    Synthesizer,
    CompactDisc,
    WaveOutput,
    Auxiliary,
};
inline constexpr int kMixerLineCount = 7;

enum class MixerControlType { Volume, Mute };

// One control of a mixer line. Identifier 0 names no control.
struct MixerControl {
    uint32_t id = 0;
    int32_t minimum = 0;
    int32_t maximum = 0;
    bool operator==(const MixerControl&) const = default;
};

// The system's audio mixers. Values are the control's own units: its range for a volume,
// 1 for muted and 0 for sounding for a mute switch.
class MixerDevice {
  public:
    virtual ~MixerDevice() = default;

    virtual int deviceCount() = 0;
    // Closes whatever is open first. False when the mixer cannot be opened.
    virtual bool open(int deviceNumber) = 0;
    virtual void close() = 0;
    // A control with identifier 0 when the open mixer has no such line or control.
    virtual MixerControl findControl(MixerLine line, MixerControlType type) = 0;
    // False when nothing is open, the identifier is unknown or the mixer refused the value.
    virtual bool setValue(uint32_t controlId, int32_t value) = 0;
    virtual std::optional<int32_t> getValue(uint32_t controlId) = 0;
};

}  // namespace tonvel
