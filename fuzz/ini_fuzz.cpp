// The INI reader and its changes over any file: a value set reads back as set, from the text and
// from a fresh read of it, the other keys keep theirs, and setting it again changes nothing.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "performance/ini_text.h"

// The first byte chooses the key, the second the value's length; the value follows, '|' between
// the items of a list; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string kKeys[] = {"MidiDevice/Name", "MidiInput/Connected", "Top",
                                        "General/x", "Odd Group/k\xC3\xA9"};
    if (size < 2) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string& key = kKeys[data[0] % std::size(kKeys)];
    const std::string value = input.substr(2, data[1] % 64);
    tonvel::IniText ini(input.substr(2 + value.size()));
    std::optional<tonvel::IniValue> before[std::size(kKeys)];
    for (size_t k = 0; k < std::size(kKeys); ++k) before[k] = ini.value(kKeys[k]);

    std::vector<std::string> items;
    for (size_t from = 0, bar = 0; bar != std::string::npos; from = bar + 1)
        items.push_back(value.substr(from, (bar = value.find('|', from)) - from));
    const bool isList = data[0] & 0x80;
    const auto set = [&](tonvel::IniText& text) {
        return isList ? text.setList(key, items) : text.setText(key, value);
    };
    set(ini);
    tonvel::IniText again(ini.text());
    for (const tonvel::IniText* read : {&ini, &again}) {
        FUZZ_CHECK(isList ? read->list(key) == items : read->text(key) == value);
        for (size_t k = 0; k < std::size(kKeys); ++k) {
            const auto now = read->value(kKeys[k]);
            FUZZ_CHECK(kKeys[k] == key || now.has_value() == before[k].has_value());
            FUZZ_CHECK(kKeys[k] == key || !now ||
                       (now->items == before[k]->items && now->isList == before[k]->isList));
        }
    }
    FUZZ_CHECK(!set(again));
    return 0;
}
