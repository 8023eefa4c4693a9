// The whole window played by a scripted player through the fakes: keys pressed, repeated and
// released in any order with modifiers and AltGr, menus and boxes opened by keys and mouse
// with keys let go meanwhile, focus lost and regained, devices, base notes, pad sounds,
// recordings and their playback. Once every key is up nothing sounds on any device, no data
// byte left the 0..127 range, and a fresh press of a piano key plays.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "fakes/piano_rig.h"
#include "fuzz/fuzz_check.h"

namespace {

const std::filesystem::path& folder() {
    static const auto dir = [] {
        auto made = std::filesystem::temp_directory_path() /
                    ("tonvel-piano-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(made);
        return made;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto& dir = folder();
    // Each performance starts from the built-in files, as on a first start.
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ignored))
        std::filesystem::remove_all(entry.path(), ignored);
    tonvel::testing::PianoRig rig(dir);
    rig.play(data, size);
    const auto problems = rig.problems();
    if (!problems.empty()) {
        for (const auto& line : rig.log()) std::fprintf(stderr, "  %s\n", line.c_str());
        std::fprintf(stderr, "%s\n", problems.front().c_str());
    }
    FUZZ_CHECK(problems.empty());
    return 0;
}
