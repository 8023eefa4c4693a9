#include "mixer/backends/alsa_mixer_device.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace tonvel {
namespace {

constexpr const char* kElementNames[kMixerLineCount] = {
    "Master", "Line", "Mic", "Synth", "CD", "PCM", "Aux",
};

// Identifiers 1..14 name a line kind and a control type; 0 stays "none".
uint32_t controlIdOf(MixerLine line, MixerControlType type) {
    return 1 + static_cast<uint32_t>(line) * 2 + static_cast<uint32_t>(type);
}

bool decodeControlId(uint32_t id, MixerLine& line, MixerControlType& type) {
    if (id == 0 || id > static_cast<uint32_t>(kMixerLineCount) * 2) return false;
    line = static_cast<MixerLine>((id - 1) / 2);
    type = static_cast<MixerControlType>((id - 1) % 2);
    return true;
}

void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// ALSA reports its failures on stderr as well as in results; ours are results only. Its error
// handler is one for the whole process, and the synthesizer's and the MIDI ports' threads call
// ALSA too: it is set once, before main() and so before any thread runs.
[[maybe_unused]] const bool alsaQuiet = [] {
    snd_lib_error_set_handler(&ignoreAlsaError);
    return true;
}();

snd_mixer_t* openControlDevice(const std::string& name) {
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0) return nullptr;
    if (snd_mixer_attach(mixer, name.c_str()) < 0 ||
        snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
        snd_mixer_close(mixer);
        return nullptr;
    }
    return mixer;
}

int32_t toInt32(long value) {
    return static_cast<int32_t>(std::clamp<long>(value, std::numeric_limits<int32_t>::min(),
                                                 std::numeric_limits<int32_t>::max()));
}

// A line's volume or switch, on the playback side where the element has one, else on the
// capture side (inputs such as "Mic" may only have that).
struct Side {
    snd_mixer_elem_t* element = nullptr;
    bool capture = false;
};

Side sideOf(snd_mixer_t* mixer, MixerLine line, MixerControlType type) {
    if (mixer == nullptr) return {};
    // Values changed by other programs reach the element only through its events.
    snd_mixer_handle_events(mixer);
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_selem_id_set_name(id, kElementNames[static_cast<int>(line)]);
    snd_mixer_elem_t* element = snd_mixer_find_selem(mixer, id);
    if (element == nullptr) return {};
    const bool volume = type == MixerControlType::Volume;
    if (volume ? snd_mixer_selem_has_playback_volume(element)
               : snd_mixer_selem_has_playback_switch(element)) {
        return {element, false};
    }
    if (volume ? snd_mixer_selem_has_capture_volume(element)
               : snd_mixer_selem_has_capture_switch(element)) {
        return {element, true};
    }
    return {};
}

bool volumeRange(const Side& side, long& minimum, long& maximum) {
    const int result =
        side.capture ? snd_mixer_selem_get_capture_volume_range(side.element, &minimum, &maximum)
                     : snd_mixer_selem_get_playback_volume_range(side.element, &minimum, &maximum);
    return result >= 0;
}

std::optional<snd_mixer_selem_channel_id_t> firstChannel(const Side& side) {
    for (int c = SND_MIXER_SCHN_FRONT_LEFT; c <= SND_MIXER_SCHN_LAST; ++c) {
        const auto channel = static_cast<snd_mixer_selem_channel_id_t>(c);
        if (side.capture ? snd_mixer_selem_has_capture_channel(side.element, channel)
                         : snd_mixer_selem_has_playback_channel(side.element, channel)) {
            return channel;
        }
    }
    return std::nullopt;
}

}  // namespace

AlsaMixerDevice::AlsaMixerDevice(std::string controlName) : controlName_(std::move(controlName)) {}

AlsaMixerDevice::~AlsaMixerDevice() {
    close();
}

int AlsaMixerDevice::deviceCount() {
    if (mixer_ != nullptr) return 1;
    snd_mixer_t* probe = openControlDevice(controlName_);
    if (probe == nullptr) return 0;
    snd_mixer_close(probe);
    return 1;
}

bool AlsaMixerDevice::open(int deviceNumber) {
    close();
    if (deviceNumber != 0) return false;
    mixer_ = openControlDevice(controlName_);
    return mixer_ != nullptr;
}

void AlsaMixerDevice::close() {
    if (mixer_ == nullptr) return;
    snd_mixer_close(mixer_);
    mixer_ = nullptr;
}

MixerControl AlsaMixerDevice::findControl(MixerLine line, MixerControlType type) {
    const Side side = sideOf(mixer_, line, type);
    if (side.element == nullptr) return {};
    MixerControl control{.id = controlIdOf(line, type), .minimum = 0, .maximum = 1};
    if (type == MixerControlType::Volume) {
        long minimum = 0, maximum = 0;
        if (!volumeRange(side, minimum, maximum)) return {};
        control.minimum = toInt32(minimum);
        control.maximum = toInt32(maximum);
    }
    return control;
}

bool AlsaMixerDevice::setValue(uint32_t controlId, int32_t value) {
    MixerLine line;
    MixerControlType type;
    if (!decodeControlId(controlId, line, type)) return false;
    const Side side = sideOf(mixer_, line, type);
    if (side.element == nullptr) return false;
    if (type == MixerControlType::Mute) {
        if (value != 0 && value != 1) return false;
        const int sounding = value == 0 ? 1 : 0;
        return (side.capture
                    ? snd_mixer_selem_set_capture_switch_all(side.element, sounding)
                    : snd_mixer_selem_set_playback_switch_all(side.element, sounding)) >= 0;
    }
    long minimum = 0, maximum = 0;
    if (!volumeRange(side, minimum, maximum) || value < minimum || value > maximum) return false;
    return (side.capture ? snd_mixer_selem_set_capture_volume_all(side.element, value)
                         : snd_mixer_selem_set_playback_volume_all(side.element, value)) >= 0;
}

std::optional<int32_t> AlsaMixerDevice::getValue(uint32_t controlId) {
    MixerLine line;
    MixerControlType type;
    if (!decodeControlId(controlId, line, type)) return std::nullopt;
    const Side side = sideOf(mixer_, line, type);
    if (side.element == nullptr) return std::nullopt;
    const auto channel = firstChannel(side);
    if (!channel) return std::nullopt;
    if (type == MixerControlType::Mute) {
        int sounding = 0;
        const int result =
            side.capture ? snd_mixer_selem_get_capture_switch(side.element, *channel, &sounding)
                         : snd_mixer_selem_get_playback_switch(side.element, *channel, &sounding);
        if (result < 0) return std::nullopt;
        return sounding != 0 ? 0 : 1;
    }
    long volume = 0;
    const int result = side.capture
                           ? snd_mixer_selem_get_capture_volume(side.element, *channel, &volume)
                           : snd_mixer_selem_get_playback_volume(side.element, *channel, &volume);
    if (result < 0) return std::nullopt;
    return toInt32(volume);
}

}  // namespace tonvel
