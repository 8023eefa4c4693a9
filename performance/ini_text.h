#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonvel {

// A value as QSettings keeps it in an INI file: a text, or a list of texts ("a, b").
struct IniValue {
    std::vector<std::string> items;  // a text is its only item
    bool isList = false;

    // As QSettings gives it: a list as text only when it holds one item.
    std::string text() const;
    const std::vector<std::string>& list() const { return items; }
};

// An INI file in the form QSettings reads and writes ("[Section]", "Key=value", quotes, escapes,
// "; comments"), read as QSettings read it, and changed in place: whatever a change does not
// touch (comments, blank lines, sections and keys the program does not know) stays byte for
// byte. Keys are "Section/Key"; a key with no section is in [General]. A key given twice has its
// last value, and that is the line a change rewrites.
class IniText {
  public:
    explicit IniText(std::string text = {});

    std::optional<IniValue> value(std::string_view key) const;
    std::string text(std::string_view key) const;
    std::vector<std::string> list(std::string_view key) const;

    // Each returns whether the file's text changed: setting the value a key already has changes
    // nothing.
    bool setText(std::string_view key, const std::string& value);
    bool setList(std::string_view key, const std::vector<std::string>& values);

    const std::string& text() const { return text_; }

  private:
    struct Entry {
        std::string key;
        IniValue value;
        size_t valueStart;  // just after the '='
        size_t valueEnd;    // the end of the logical line
    };
    struct Section {
        std::string name;  // empty for [General]
        size_t end;        // the end of the physical line of its last header or entry
    };

    void parse();
    void setValueText(std::string_view key, const std::string& written);
    std::string lineBreakAt(size_t position) const;

    std::string text_;
    std::vector<Entry> entries_;
    std::vector<Section> sections_;
    // Ends the last line where the text ends inside quotes or after a backslash, which would
    // take in a line added after it.
    std::string closer_;
};

}  // namespace tonvel
