// The settings reader and writer: whatever the reader takes in, what the writer then makes of
// it reads back to the same settings, and is the writer's own plain text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "performance/settings_file.h"

using tonvel::Settings;

namespace {

bool sameSettings(const Settings& a, const Settings& b) {
    return a.midiDeviceId == b.midiDeviceId && a.showKeyLabels == b.showKeyLabels &&
           a.stayOnTop == b.stayOnTop && a.bankPrograms == b.bankPrograms &&
           a.drumPadNotes == b.drumPadNotes;
}

Settings everyPadFilled() {
    Settings settings;
    for (auto& note : settings.drumPadNotes) note = 0;
    return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Empty pads are written as blanks, which a reader cannot tell from a separator; the
    // program's pads are always filled once the settings have been read.
    Settings read = everyPadFilled();
    const auto failures = tonvel::parseSettings(text, read);
    FUZZ_CHECK(failures.size() <= 3);
    for (const auto program : read.bankPrograms) FUZZ_CHECK(program >= 0 && program <= 127);
    for (const auto& note : read.drumPadNotes) FUZZ_CHECK(note && *note >= 0 && *note <= 127);

    const std::string written = tonvel::formatSettings(read);
    for (const char c : written)
        FUZZ_CHECK(c == ' ' || c == '-' || c == '\r' || c == '\n' || (c >= '0' && c <= '9'));
    Settings again = everyPadFilled();
    FUZZ_CHECK(tonvel::parseSettings(written, again).empty());
    FUZZ_CHECK(sameSettings(read, again));
    FUZZ_CHECK(tonvel::formatSettings(again) == written);
    return 0;
}
