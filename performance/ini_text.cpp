#include "performance/ini_text.h"

#include <algorithm>
#include <cstdint>

namespace tonvel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kNoValue = "@Invalid()";
// Backslash escapes: the letter, and the character it stands for. Writing uses the first ones.
constexpr std::string_view kEscapeLetters = "abfnrtv\"\\?'";
constexpr std::string_view kEscaped = "\a\b\f\n\r\t\v\"\\?'";
constexpr size_t kWrittenEscapes = 9;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isSpecial(char c) {
    return c == '\n' || c == '\r' || c == '"' || c == ';' || c == '=' || c == '\\';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int octalValue(char c) {
    return c >= '0' && c <= '7' ? c - '0' : -1;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
    };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// A UTF-16 code unit from an escape, as UTF-8; half of a surrogate pair stands alone.
void appendUnit(std::string& out, uint16_t unit) {
    const uint32_t c = unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code points of UTF-8 text; a byte that starts no valid sequence counts as itself.
std::vector<uint32_t> codePoints(std::string_view text) {
    std::vector<uint32_t> points;
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const size_t length = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
        uint32_t point = length == 1 ? byte : byte & (0x7F >> length);
        bool valid = byte < 0x80 || (byte >= 0xC2 && byte <= 0xF4 && i + length <= text.size());
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            point = (point << 6) | (next & 0x3F);
        }
        points.push_back(valid ? point : byte);
        i += valid ? length : 1;
    }
    return points;
}

// One logical line as QSettings finds it: leading blanks and "; comment" lines are skipped; a
// quoted part, or a backslash before the line break, carries it over the break; a ';' outside
// quotes ends it.
struct LogicalLine {
    size_t start = 0;
    size_t end = 0;
    std::optional<size_t> equals;  // the first '=' outside quotes
    // What would end it where the text ends open: after a backslash, or in quotes.
    std::string closer;
};

bool nextLogicalLine(std::string_view data, size_t& position, LogicalLine& line) {
    const size_t size = data.size();
    bool inQuotes = false;
    bool dangling = false;
    line.equals.reset();
    size_t start = position;
    while (start < size && isSpace(data[start])) ++start;
    size_t i = start;
    bool ended = false;
    while (i < size && !ended) {
        const char c = data[i++];
        if (!isSpecial(c)) continue;
        if (c == '=') {
            if (!inQuotes && !line.equals) line.equals = i - 1;
        } else if (isLineBreak(c)) {
            if (i == start + 1) {
                ++start;
            } else if (!inQuotes) {
                --i;
                ended = true;
            }
        } else if (c == '\\') {
            dangling = i == size;
            if (i < size) {
                const char escaped = data[i++];
                if (i < size && isLineBreak(escaped) && isLineBreak(data[i]) && data[i] != escaped)
                    ++i;
            }
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (i == start + 1) {  // a comment line
            while (i < size && !isLineBreak(data[i])) ++i;
            while (i < size && isSpace(data[i])) ++i;
            start = i;
        } else if (!inQuotes) {  // a comment after the line's text
            --i;
            ended = true;
        }
    }
    position = i;
    line.closer = std::string(dangling ? " " : "") + (inQuotes ? "\"" : "");
    line.start = start;
    line.end = i;
    return i > start;
}

// Section and key names: "%XX" and "%UXXXX" stand for a character, '\' for '/'.
std::string unescapedKey(std::string_view key) {
    std::string out;
    for (size_t i = 0; i < key.size();) {
        if (key[i] == '\\') {
            out += '/';
            ++i;
            continue;
        }
        if (key[i] != '%' || i + 1 == key.size()) {
            out += key[i++];
            continue;
        }
        const bool wide = key[i + 1] == 'U';
        const size_t first = i + (wide ? 2 : 1);
        const size_t digits = wide ? 4 : 2;
        uint32_t unit = 0;
        bool ok = first + digits <= key.size();
        for (size_t k = 0; ok && k < digits; ++k) {
            const int digit = hexValue(key[first + k]);
            ok = digit >= 0;
            unit = unit * 16 + static_cast<uint32_t>(digit);
        }
        if (!ok) {
            out += '%';
            ++i;
            continue;
        }
        appendUnit(out, static_cast<uint16_t>(unit));
        i = first + digits;
    }
    return out;
}

std::string escapedKey(std::string_view key) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    const auto percent = [&out](uint32_t unit) {
        if (unit <= 0xFF) {
            out += '%';
        } else {
            out += "%U";
            out += kHex[(unit >> 12) & 0xF];
            out += kHex[(unit >> 8) & 0xF];
        }
        out += kHex[(unit >> 4) & 0xF];
        out += kHex[unit & 0xF];
    };
    for (const uint32_t c : codePoints(key)) {
        if (c == '/') {
            out += '\\';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '_' || c == '-' || c == '.') {
            out += static_cast<char>(c);
        } else if (c > 0xFFFF) {
            percent(0xD800 + ((c - 0x10000) >> 10));
            percent(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            percent(c);
        }
    }
    return out;
}

void chopTrailingBlanks(std::string& text, size_t limit) {
    while (text.size() > limit && isBlank(text.back())) text.pop_back();
}

// A value's text: quotes keep blanks and commas, backslash escapes as in C (and "\x" and octal
// ones by their UTF-16 code unit), commas outside quotes make it a list.
bool unescapedValue(std::string_view value, std::string& text, std::vector<std::string>& list) {
    bool isList = false;
    bool inQuotes = false;
    bool quoted = false;
    size_t i = 0;
    const size_t size = value.size();
    const auto skipBlanks = [&] {
        while (i < size && isBlank(value[i])) ++i;
    };
    skipBlanks();
    size_t chopLimit = text.size();
    // Reads digits of base `base` after the first, into one code unit.
    const auto numberEscape = [&](uint16_t unit, int (*digit)(char), int shift) {
        while (i < size && digit(value[i]) >= 0)
            unit = static_cast<uint16_t>((unit << shift) + digit(value[i++]));
        appendUnit(text, unit);
        chopLimit = text.size();
    };
    while (i < size) {
        const char c = value[i];
        if (c == '\\') {
            ++i;
            // A backslash that ends the file keeps the blanks before it, as it does once a
            // line is written after it.
            if (i >= size) {
                chopLimit = text.size();
                break;
            }
            const char e = value[i++];
            if (const size_t known = kEscapeLetters.find(e); known != std::string_view::npos) {
                text += kEscaped[known];
            } else if (e == 'x') {
                if (i < size && hexValue(value[i]) >= 0) {
                    numberEscape(0, hexValue, 4);
                    continue;
                }
            } else if (octalValue(e) >= 0) {
                numberEscape(static_cast<uint16_t>(octalValue(e)), octalValue, 3);
                continue;
            } else if (isLineBreak(e)) {
                if (i < size && isLineBreak(value[i]) && value[i] != e) ++i;
            }
            chopLimit = text.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes) {
                skipBlanks();
                chopLimit = text.size();
            }
        } else if (c == ',' && !inQuotes) {
            if (!quoted) chopTrailingBlanks(text, chopLimit);
            isList = true;
            list.push_back(std::move(text));
            text.clear();
            quoted = false;
            ++i;
            skipBlanks();
            chopLimit = 0;
        } else {
            size_t j = i + 1;
            while (j < size && value[j] != '\\' && value[j] != '"' && value[j] != ',') ++j;
            text.append(value.substr(i, j - i));
            i = j;
        }
    }
    if (!quoted) chopTrailingBlanks(text, chopLimit);
    if (isList) list.push_back(std::move(text));
    return isList;
}

// What QSettings makes of a stored text: "@@" for a leading '@', and its own few "@" forms.
std::string storedText(std::string text) {
    if (text.rfind("@@", 0) == 0) return text.substr(1);
    if (text == kNoValue) return {};
    constexpr std::string_view kBytes = "@ByteArray(";
    if (text.rfind(kBytes, 0) == 0 && text.back() == ')')
        return text.substr(kBytes.size(), text.size() - kBytes.size() - 1);
    return text;
}

IniValue parsedValue(std::string_view raw) {
    std::string text;
    std::vector<std::string> list;
    if (unescapedValue(raw, text, list)) {
        for (auto& item : list) item = storedText(std::move(item));
        return IniValue{std::move(list), true};
    }
    if (text == kNoValue) return IniValue{{}, true};
    return IniValue{{storedText(std::move(text))}, false};
}

std::string escapedText(std::string_view text) {
    std::string out;
    bool needsQuotes = false;
    bool escapeNextIfDigit = false;  // after "\0" and "\x..", which a digit would extend
    const auto hexEscape = [&out](unsigned char c) {
        static constexpr char kHex[] = "0123456789abcdef";
        out += "\\x";
        if (c >= 16) out += kHex[c >> 4];
        out += kHex[c & 0xF];
    };
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        needsQuotes = needsQuotes || c == ';' || c == ',' || c == '=';
        const size_t named = kEscaped.substr(0, kWrittenEscapes).find(c);
        if (escapeNextIfDigit && hexValue(c) >= 0) {
            hexEscape(byte);
        } else if (c == '\0') {
            out += "\\0";
            escapeNextIfDigit = true;
        } else if (named != std::string_view::npos) {
            out += '\\';
            out += kEscapeLetters[named];
            escapeNextIfDigit = false;
        } else {
            escapeNextIfDigit = byte <= 0x1F;
            if (escapeNextIfDigit)
                hexEscape(byte);
            else
                out += c;
        }
    }
    if (needsQuotes || (!out.empty() && (out.front() == ' ' || out.back() == ' ')))
        out = '"' + out + '"';
    return out;
}

std::string writtenText(const std::string& text) {
    return escapedText(text.rfind('@', 0) == 0 ? "@" + text : text);
}

// The section of "Section/Key", and the rest.
std::pair<std::string_view, std::string_view> splitKey(std::string_view key) {
    const size_t slash = key.find('/');
    if (slash == std::string_view::npos) return {{}, key};
    return {key.substr(0, slash), key.substr(slash + 1)};
}

}  // namespace

std::string IniValue::text() const {
    if (isList && items.size() != 1) return {};
    return items.empty() ? std::string() : items.front();
}

IniText::IniText(std::string text) : text_(std::move(text)) {
    parse();
}

void IniText::parse() {
    entries_.clear();
    sections_.clear();
    const std::string_view data = text_;
    size_t position = data.rfind(kByteOrderMark, 0) == 0 ? kByteOrderMark.size() : 0;
    std::optional<std::string> section;  // none before the first header
    LogicalLine line;
    closer_.clear();
    while (nextLogicalLine(data, position, line)) {
        closer_ = line.closer;
        size_t physicalEnd = line.end;
        while (physicalEnd < data.size() && !isLineBreak(data[physicalEnd])) ++physicalEnd;
        const std::string_view text = data.substr(line.start, line.end - line.start);
        if (text.front() == '[') {
            const size_t close = text.find(']');
            const std::string_view name = trimmed(
                text.substr(1, close == std::string_view::npos ? text.size() - 1 : close - 1));
            if (equalsIgnoringCase(name, "general")) {
                section = std::string();
            } else if (equalsIgnoringCase(name, "%general")) {
                section = std::string(name.substr(1));
            } else {
                section = unescapedKey(name);
            }
            sections_.push_back(Section{*section, physicalEnd});
            continue;
        }
        if (!line.equals) continue;
        if (!section) {
            section = std::string();
            sections_.push_back(Section{{}, physicalEnd});
        }
        sections_.back().end = physicalEnd;
        const std::string name =
            unescapedKey(trimmed(data.substr(line.start, *line.equals - line.start)));
        // The blanks around a value mean nothing; a change keeps them as they were.
        size_t valueStart = *line.equals + 1, valueEnd = line.end;
        while (valueStart < valueEnd && isBlank(data[valueStart])) ++valueStart;
        while (valueEnd > valueStart && isBlank(data[valueEnd - 1])) --valueEnd;
        entries_.push_back(
            Entry{section->empty() ? name : *section + "/" + name,
                  parsedValue(data.substr(*line.equals + 1, line.end - *line.equals - 1)),
                  valueStart, valueEnd});
    }
}

std::optional<IniValue> IniText::value(std::string_view key) const {
    for (auto entry = entries_.rbegin(); entry != entries_.rend(); ++entry)
        if (entry->key == key) return entry->value;
    return std::nullopt;
}

std::string IniText::text(std::string_view key) const {
    const auto found = value(key);
    return found ? found->text() : std::string();
}

std::vector<std::string> IniText::list(std::string_view key) const {
    const auto found = value(key);
    return found ? found->list() : std::vector<std::string>();
}

bool IniText::setText(std::string_view key, const std::string& value) {
    const auto old = this->value(key);
    if (old && !old->isList && old->items.front() == value) return false;
    if (!old && value.empty()) return false;
    setValueText(key, writtenText(value));
    return true;
}

bool IniText::setList(std::string_view key, const std::vector<std::string>& values) {
    if (list(key) == values) return false;
    std::string written = values.empty() ? std::string(kNoValue) : std::string();
    for (size_t i = 0; i < values.size(); ++i) {
        if (i > 0) written += ", ";
        written += writtenText(values[i]);
    }
    setValueText(key, written);
    return true;
}

// A line break to put at `position`: after a backslash and a break, a break of the other kind
// would be read as the two characters of one, and go with the backslash.
std::string IniText::lineBreakAt(size_t position) const {
    const std::string eol = text_.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    if (position >= 2 && text_[position - 2] == '\\' && isLineBreak(text_[position - 1]))
        return std::string(1, text_[position - 1]);
    return eol;
}

void IniText::setValueText(std::string_view key, const std::string& written) {
    const auto entry = std::find_if(entries_.rbegin(), entries_.rend(),
                                    [key](const Entry& e) { return e.key == key; });
    const auto split = splitKey(key);
    const std::string_view sectionName = split.first, name = split.second;
    const std::string line = escapedKey(name) + "=" + written;
    const auto section = std::find_if(sections_.rbegin(), sections_.rend(),
                                      [&](const Section& s) { return s.name == sectionName; });
    if (entry != entries_.rend()) {
        text_.replace(entry->valueStart, entry->valueEnd - entry->valueStart, written);
    } else if (section != sections_.rend() && section->end < text_.size()) {
        text_.insert(section->end, lineBreakAt(section->end) + line);
    } else {
        text_ += closer_;
        if (section != sections_.rend()) {
            text_ += lineBreakAt(text_.size()) + line;
        } else {
            if (!text_.empty() && !isLineBreak(text_.back())) text_ += lineBreakAt(text_.size());
            if (!text_.empty()) text_ += lineBreakAt(text_.size());
            const std::string header = sectionName.empty() ? "General"
                                       : equalsIgnoringCase(sectionName, "general")
                                           ? "%General"
                                           : escapedKey(sectionName);
            const std::string eol = lineBreakAt(0);
            text_ += "[" + header + "]" + eol + line + eol;
        }
    }
    parse();
}

}  // namespace tonvel
