#include "foundation/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tonvel {

std::optional<long> parseWholeNumber(std::string_view text) {
    long value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (first == last || ec != std::errc() || ptr != last) return std::nullopt;
    return value;
}

std::optional<int16_t> parseChannelAnswer(const std::string& text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t begin = 0, end = text.size();
    while (begin < end && blank(text[begin])) ++begin;
    while (end > begin && blank(text[end - 1])) --end;
    if (begin == end) return std::nullopt;
    const char* first = text.data() + begin;
    const char* last = text.data() + end;
    if (*first == '+') ++first;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (first == last || ec != std::errc() || ptr != last || !std::isfinite(value))
        return std::nullopt;
    const double rounded = std::nearbyint(value);  // the default rounding mode is half to even
    if (rounded < std::numeric_limits<int16_t>::min() ||
        rounded > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(rounded);
}

std::string formatSingle(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(static_cast<float>(value)));
    return buffer;
}

}  // namespace tonvel
