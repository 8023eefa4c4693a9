#include "performance/names_file.h"

#include "platform/file_read.h"

namespace tonvel {

namespace {

class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // At the end of the text the previous line is kept, as the names after a short
    // file repeat the last name read.
    std::string_view next() {
        if (pos_ < text_.size()) {
            size_t end = pos_;
            while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
            line_ = text_.substr(pos_, end - pos_);
            pos_ = end;
            if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
            if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        }
        return line_;
    }

  private:
    std::string_view text_;
    size_t pos_ = 0;
    std::string_view line_;
};

// The first `count` characters of `text`; a byte that is not a UTF-8 continuation starts one.
std::string_view firstCharacters(std::string_view text, size_t count) {
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (!continuation && characters++ == count) return text.substr(0, i);
    }
    return text;
}

// The text between the first TAB and the next one.
std::optional<std::string> captionOf(std::string_view line) {
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return std::nullopt;
    const size_t end = line.find('\t', tab + 1);
    const std::string_view caption = line.substr(
        tab + 1, end == std::string_view::npos ? std::string_view::npos : end - tab - 1);
    return std::string(firstCharacters(caption, kMaxNameCharacters));
}

}  // namespace

NameTables parseNames(std::string_view text) {
    NameTables tables;
    LineReader reader(text.substr(0, kMaxNamesFileBytes));
    for (auto& program : tables.programs) program = captionOf(reader.next());
    reader.next();
    for (auto& drum : tables.drums) drum = captionOf(reader.next());
    return tables;
}

std::optional<NameTables> loadNamesFile(const std::string& path) {
    const FileStart file = readFileStart(path, kMaxNamesFileBytes);
    if (file.failure != ReadFailure::None) return std::nullopt;
    return parseNames(file.bytes);
}

}  // namespace tonvel
