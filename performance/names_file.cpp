#include "performance/names_file.h"

#include <fstream>
#include <sstream>

namespace tonvel {

namespace {

class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // At the end of the text the previous line is kept, as the names after a short
    // file repeat the last name read.
    const std::string& next() {
        if (pos_ < text_.size()) {
            size_t end = pos_;
            while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
            line_.assign(text_.substr(pos_, end - pos_));
            pos_ = end;
            if (pos_ < text_.size() && text_[pos_] == '\r') ++pos_;
            if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        }
        return line_;
    }

  private:
    std::string_view text_;
    size_t pos_ = 0;
    std::string line_;
};

// The text between the first TAB and the next one.
std::optional<std::string> captionOf(const std::string& line) {
    const size_t tab = line.find('\t');
    if (tab == std::string::npos) return std::nullopt;
    const size_t end = line.find('\t', tab + 1);
    return line.substr(tab + 1, end == std::string::npos ? std::string::npos : end - tab - 1);
}

}  // namespace

NameTables parseNames(std::string_view text) {
    NameTables tables;
    LineReader reader(text);
    for (auto& program : tables.programs) program = captionOf(reader.next());
    reader.next();
    for (auto& drum : tables.drums) drum = captionOf(reader.next());
    return tables;
}

std::optional<NameTables> loadNamesFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return parseNames(content.str());
}

}  // namespace tonvel
