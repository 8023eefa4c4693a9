#include "performance/beat_styles.h"

#include "foundation/number_text.h"

namespace tonvel {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        pieces.push_back(text.substr(start, end - start));
    pieces.push_back(text.substr(start));
    return pieces;
}

}  // namespace

std::vector<BeatStyle> loadBeatStyles() {
    return {
        {"16 Beat", 100,
         "44|44|44|44|44|44|44|44;"
         "44,35|44|44|44|44,40|44|44|44;"
         "44,40|44,40|44,40|44,40|44,40|44,40|44,40|44,40|44,35,55|44|44|44|44,40|44|44|44;"
         "44,35|44|44|46|40|42|44|44;"
         "44,35,55"},
        {"Rock", 100,
         "44,35,55||44||44,40||44|;"
         "44,35||44,35||44,40||44||44,35||44||44,40||44|;"
         "44,50,35|50|44,48,35|48|44,47,35|47|44,45,35|45|44,35,55||44||44,40||44|;"
         "44,35||46||40,44||42|;"
         "44||44||44||44,35,55"},
        {"Disco", 170,
         "44,35,55|46|44,40,35|42;"
         "44,35|46|44,40,35|42;"
         "44,35|44,35,40|44,35,40|44,35,40|44,35,55|46|44,40,35|42;"
         "44,35|44,40|44,40|44,35;"
         "44,35,55"},
    };
}

std::vector<BeatSection> parseBeatPattern(const std::string& pattern) {
    std::vector<BeatSection> sections;
    for (const auto& sectionText : split(pattern, ';')) {
        BeatSection section;
        for (const auto& stepText : split(sectionText, '|')) {
            BeatStep step;
            if (!stepText.empty()) {
                for (const auto& note : split(stepText, ','))
                    if (const auto value = parseWholeNumber(note))
                        step.push_back(static_cast<int>(*value));
            }
            section.push_back(step);
        }
        sections.push_back(section);
    }
    return sections;
}

}  // namespace tonvel
