#include "fakes/fake_mixer.h"

namespace tonvel::testing {

MixerControl FakeMixer::addControl(MixerLine line, MixerControlType type, int32_t minimum,
                                   int32_t maximum, int32_t value) {
    const MixerControl control{.id = nextId_++, .minimum = minimum, .maximum = maximum};
    controls_[{line, type}] = control;
    values[control.id] = value;
    return control;
}

int32_t& FakeMixer::valueOf(MixerLine line, MixerControlType type) {
    return values[controls_.at({line, type}).id];
}

bool FakeMixer::open(int deviceNumber) {
    openedDevices.push_back(deviceNumber);
    openDevice.reset();
    if (!openSucceeds || deviceNumber < 0 || deviceNumber >= devices) return false;
    openDevice = deviceNumber;
    return true;
}

void FakeMixer::close() {
    ++closeCount;
    openDevice.reset();
}

MixerControl FakeMixer::findControl(MixerLine line, MixerControlType type) {
    if (!openDevice) return {};
    const auto it = controls_.find({line, type});
    return it == controls_.end() ? MixerControl{} : it->second;
}

bool FakeMixer::setValue(uint32_t controlId, int32_t value) {
    writes.push_back({controlId, value});
    const MixerControl* control = controlWithId(controlId);
    if (control == nullptr || value < control->minimum || value > control->maximum) return false;
    values[controlId] = value;
    return true;
}

std::optional<int32_t> FakeMixer::getValue(uint32_t controlId) {
    ++readCount;
    if (readsFail || controlWithId(controlId) == nullptr) return std::nullopt;
    return values[controlId];
}

const MixerControl* FakeMixer::controlWithId(uint32_t controlId) const {
    if (!openDevice) return nullptr;
    for (const auto& [key, control] : controls_) {
        if (control.id == controlId) return &control;
    }
    return nullptr;
}

}  // namespace tonvel::testing
