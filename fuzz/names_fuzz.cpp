// The names reader: whatever ins.ins holds, every caption is one cut piece of one line.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "performance/names_file.h"

namespace {

size_t characters(std::string_view text) {
    size_t count = 0;
    for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

void checkCaption(const std::optional<std::string>& caption, std::string_view text) {
    if (!caption) return;
    FUZZ_CHECK(characters(*caption) <= tonvel::kMaxNameCharacters);
    FUZZ_CHECK(caption->find_first_of("\t\r\n") == std::string::npos);
    FUZZ_CHECK(text.find(*caption) != std::string_view::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tonvel::NameTables names = tonvel::parseNames(text);
    const bool anyTab = text.find('\t') != std::string_view::npos;
    for (const auto& caption : names.programs) {
        FUZZ_CHECK(anyTab || !caption);
        checkCaption(caption, text);
    }
    for (const auto& caption : names.drums) {
        FUZZ_CHECK(anyTab || !caption);
        checkCaption(caption, text);
    }
    return 0;
}
