#include "windows/dialog_parts.h"

#include <algorithm>

#include "foundation/number_text.h"

namespace tonvel {

uint32_t backgroundColour(int i) {
    int half = i / 2;
    if (i % 2 != 0 && half % 2 != 0) ++half;  // x.5 goes to the even neighbour
    const auto component = [half](int base) {
        return static_cast<uint32_t>(std::min(base + half, 255));
    };
    return component(240) | component(180) << 8 | component(170) << 16;
}

std::vector<DrawnLine> dialogLines(int clientHeight, int count, int separatorY) {
    std::vector<DrawnLine> lines;
    lines.reserve(static_cast<size_t>(count) + 2);
    for (int i = 1; i <= count; ++i) lines.push_back({clientHeight - i, backgroundColour(i)});
    lines.push_back({separatorY, kDarkRed});
    lines.push_back({separatorY + 1, kSystem3DHighlight});
    return lines;
}

void holdButtonLabel(Label& label) {
    label.tag = "1";
    label.bold = true;
}

void releaseButtonLabel(Label& label) {
    label.tag = "0";
    label.bold = false;
}

bool buttonLabelHeld(const Label& label) {
    return parseWholeNumber(label.tag).value_or(0) != 0;
}

std::optional<int> digitValue(char c) {
    if (c < '0' || c > '9') return std::nullopt;
    return c - '0';
}

}  // namespace tonvel
