#pragma once

#include <array>
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

NameTables parseNames(std::string_view text);
// Empty when the file cannot be read.
std::optional<NameTables> loadNamesFile(const std::string& path);

}  // namespace tonvel
