#include "performance/settings_file.h"

#include <limits>

#include "foundation/number_text.h"
#include "platform/file_read.h"
#include "platform/file_write.h"

namespace tonvel {

namespace {

constexpr size_t kZone = 14;
constexpr char kEndOfFile[] = "Input past end of file";
constexpr char kNotANumber[] = "Type mismatch: a setting is not a whole number";
constexpr char kOutOfRange[] = "Overflow: a setting is out of range";
// The file holds 240 bytes; what lies beyond this is never looked at.
constexpr size_t kMaxSettingsBytes = 64 * 1024;

std::string openFailureText(ReadFailure failure, const std::string& path) {
    switch (failure) {
        case ReadFailure::NotFound:
            return "File not found: " + path;
        case ReadFailure::NoPermission:
            return "Permission denied: " + path;
        default:
            return "Path/File access error: " + path;
    }
}

std::string numberText(long value) {
    std::string text = value < 0 ? "-" : " ";
    text += std::to_string(value < 0 ? -value : value);
    text += ' ';
    return text;
}

void writeLine(std::string& out, const std::vector<std::optional<long>>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i]) line += numberText(*fields[i]);
        if (i + 1 < fields.size())
            line.append((line.size() / kZone + 1) * kZone - line.size(), ' ');
    }
    out += line;
    out += "\r\n";
}

// Splits the text into fields: blanks and line ends separate, a comma ends a field.
class FieldReader {
  public:
    explicit FieldReader(std::string_view text) : text_(text) {}

    std::optional<std::string_view> next() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) ++pos_;
        if (pos_ >= text_.size() || text_[pos_] == '\0') return std::nullopt;
        const size_t start = pos_;
        while (pos_ < text_.size() && !isBlank(text_[pos_]) && text_[pos_] != ',' &&
               text_[pos_] != '\0')
            ++pos_;
        const std::string_view field = text_.substr(start, pos_ - start);
        size_t after = pos_;
        while (after < text_.size() && text_[after] == ' ') ++after;
        if (after < text_.size() && text_[after] == ',') pos_ = after + 1;
        return field;
    }

  private:
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    std::string_view text_;
    size_t pos_ = 0;
};

struct Field {
    long min;
    long max;
    void (*store)(Settings&, size_t, long);
    size_t index;
};

}  // namespace

std::string formatSettings(const Settings& s) {
    std::string out;
    writeLine(out, {s.midiDeviceId, s.showKeyLabels, s.stayOnTop});
    writeLine(out, {s.bankPrograms[0], s.bankPrograms[1], s.bankPrograms[2], s.bankPrograms[3]});
    std::vector<std::optional<long>> pads;
    for (const auto& note : s.drumPadNotes)
        pads.push_back(note ? std::optional<long>(*note) : std::nullopt);
    writeLine(out, pads);
    return out;
}

std::vector<std::string> parseSettings(std::string_view text, Settings& settings) {
    constexpr long kShortMin = std::numeric_limits<int16_t>::min();
    constexpr long kShortMax = std::numeric_limits<int16_t>::max();
    std::vector<std::vector<Field>> operations(3);
    operations[0] = {
        {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(),
         [](Settings& s, size_t, long v) { s.midiDeviceId = static_cast<int32_t>(v); }, 0},
        {kShortMin, kShortMax,
         [](Settings& s, size_t, long v) { s.showKeyLabels = static_cast<int16_t>(v); }, 0},
        {kShortMin, kShortMax,
         [](Settings& s, size_t, long v) { s.stayOnTop = static_cast<int16_t>(v); }, 0},
    };
    // Programs and notes travel as MIDI data bytes.
    for (size_t i = 0; i < 4; ++i)
        operations[1].push_back(
            {0, 127,
             [](Settings& s, size_t k, long v) { s.bankPrograms[k] = static_cast<int16_t>(v); },
             i});
    for (size_t i = 0; i < 12; ++i)
        operations[2].push_back(
            {0, 127,
             [](Settings& s, size_t k, long v) { s.drumPadNotes[k] = static_cast<int16_t>(v); },
             i});

    FieldReader reader(text);
    std::vector<std::string> failures;
    for (const auto& operation : operations) {
        std::string failure;
        for (const auto& field : operation) {
            const auto raw = reader.next();
            if (!raw) {
                failure = kEndOfFile;
                break;
            }
            const auto value = parseWholeNumber(*raw);
            if (!value) {
                if (failure.empty()) failure = kNotANumber;
                continue;
            }
            if (*value < field.min || *value > field.max) {
                if (failure.empty()) failure = kOutOfRange;
                continue;
            }
            field.store(settings, field.index, *value);
        }
        if (!failure.empty()) failures.push_back(failure);
    }
    return failures;
}

bool saveSettingsFile(const std::string& path, const Settings& settings) {
    return replaceFile(path, formatSettings(settings));
}

std::vector<std::string> loadSettingsFile(const std::string& path, Settings& settings) {
    const FileStart file = readFileStart(path, kMaxSettingsBytes);
    if (file.failure != ReadFailure::None) {
        constexpr char kNotOpen[] = "Bad file name or number";
        return {openFailureText(file.failure, path), kNotOpen, kNotOpen, kNotOpen};
    }
    return parseSettings(file.bytes, settings);
}

}  // namespace tonvel
