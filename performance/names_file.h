#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tonvel {

// Captions read from ins.ins: 128 instruments, a separator line, 32 drum sounds
// (notes 35..66). An entry stays empty when its line holds no TAB.
struct NameTables {
    std::array<std::optional<std::string>, 128> programs;
    std::array<std::optional<std::string>, 32> drums;
};

// A longer name is cut to this many characters (UTF-8 sequences are kept whole).
inline constexpr size_t kMaxNameCharacters = 256;
// The file's bytes beyond this are not read: the default file holds 2608.
inline constexpr size_t kMaxNamesFileBytes = 1024 * 1024;

NameTables parseNames(std::string_view text);
// Empty when the file cannot be read.
std::optional<NameTables> loadNamesFile(const std::string& path);

}  // namespace tonvel
