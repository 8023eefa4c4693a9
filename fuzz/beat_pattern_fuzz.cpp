// The beat pattern splitter: any text splits into sections and steps as its separators say.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "performance/beat_styles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string pattern(reinterpret_cast<const char*>(data), size);
    const auto sections = tonvel::parseBeatPattern(pattern);
    const auto count = [&](char c) {
        return static_cast<size_t>(std::count(pattern.begin(), pattern.end(), c));
    };
    FUZZ_CHECK(sections.size() == count(';') + 1);
    size_t steps = 0;
    size_t notes = 0;
    for (const auto& section : sections) {
        FUZZ_CHECK(!section.empty());
        steps += section.size();
        for (const auto& step : section) notes += step.size();
    }
    FUZZ_CHECK(steps == count(';') + count('|') + 1);
    FUZZ_CHECK(notes <= count(',') + steps);
    return 0;
}
