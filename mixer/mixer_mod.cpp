#include "mixer/mixer_mod.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tonvel {
namespace {

constexpr int32_t kUnscaledMaximum = 100;

int slotOf(MixerLine line) {
    return static_cast<int>(line);
}

int32_t toInt32(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

bool MixerMod::openMixer(int deviceNumber) {
    if (deviceNumber < 0 || deviceNumber > device_.deviceCount() - 1) return false;
    if (!device_.open(deviceNumber)) return false;
    mixerHandle = deviceNumber;
    lineControls = {};

    constexpr MixerLine kLookupOrder[] = {
        MixerLine::MasterOutput, MixerLine::Microphone,  MixerLine::Auxiliary,
        MixerLine::CompactDisc,  MixerLine::Synthesizer, MixerLine::WaveOutput,
        MixerLine::LineIn,
    };
    for (const MixerLine line : kLookupOrder) {
        findLineControl(line, MixerControlType::Volume, lineControls[slotOf(line)]);
    }
    for (const MixerLine line : kLookupOrder) {
        findLineControl(line, MixerControlType::Mute, lineControls[slotOf(line) + kMuteSlotOffset]);
    }
    return true;
}

void MixerMod::closeMixer() {
    if (mixerHandle) device_.close();
    mixerHandle.reset();
}

bool MixerMod::findLineControl(MixerLine line, MixerControlType type, MixerControl& dest) {
    const MixerControl found = device_.findControl(line, type);
    if (found.id == 0) return false;
    dest = found;
    return true;
}

bool MixerMod::setControlValue(const MixerControl& control, int32_t value) {
    int64_t v = value;
    if (control.maximum > kUnscaledMaximum) {
        v = std::llround(static_cast<double>(control.maximum) / 100.0 * value);
    }
    if (v > control.maximum) v = control.maximum;
    if (v < control.minimum) v = control.minimum;
    return device_.setValue(control.id, static_cast<int32_t>(v));
}

int32_t MixerMod::getControlValue(const MixerControl& control) {
    const int32_t r = device_.getValue(control.id).value_or(0);
    if (control.maximum <= kUnscaledMaximum) return r;
    // r * 100 leaves the 32-bit range for values above about 21 million.
    const int64_t hundredfold = int64_t{r} * 100;
    const double percent = static_cast<double>(hundredfold) / control.maximum - control.minimum;
    return toInt32(std::llround(percent));
}

const MixerControl* MixerMod::slotAt(int slot) const {
    if (slot < 0 || slot >= kSlotCount) return nullptr;
    return &lineControls[slot];
}

bool MixerMod::setLineVolume(int slot, int32_t percent) {
    const MixerControl* control = slotAt(slot);
    return control != nullptr && setControlValue(*control, percent);
}

int32_t MixerMod::getLineVolume(int slot) {
    const MixerControl* control = slotAt(slot);
    return control == nullptr ? 0 : getControlValue(*control);
}

bool MixerMod::setLineMute(int slot, bool on) {
    const MixerControl* control = slotAt(slot);
    return control != nullptr && setControlValue(*control, on ? 1 : 0);
}

bool MixerMod::getLineMute(int slot) {
    const MixerControl* control = slotAt(slot);
    return control != nullptr && getControlValue(*control) != 0;
}

}  // namespace tonvel
