#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tonvel {

// A decimal whole number, optionally signed, with nothing else around it.
std::optional<long> parseWholeNumber(std::string_view text);

// The answer typed into the channel box: blanks around the number are fine, a
// fraction rounds half to even, and the result must fit in 16 bits.
std::optional<int16_t> parseChannelAnswer(const std::string& text);

// Up to seven significant digits, no trailing zeros: 44, 41.8, -1.1.
std::string formatSingle(double value);

}  // namespace tonvel
