// The files shipped beside the program (help pages, desktop entry, metainfo, package
// documents) must agree with each other and with the program itself.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "foundation/product.h"
#include "resources/default_files.h"

namespace tonvel {
namespace {

const std::filesystem::path kSource = TONVEL_SOURCE_DIR;
const std::filesystem::path kHelp = kSource / "resources/help";

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string version() {
    return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

// The rows (keys, action) of the table with id="shortcut-table".
std::vector<std::pair<std::string, std::string>> shortcutRows(const std::string& page) {
    const auto start = page.find("id=\"shortcut-table\"");
    const auto end = page.find("</table>", start);
    if (start == std::string::npos || end == std::string::npos) return {};
    const std::string table = page.substr(start, end - start);
    static const std::regex row(R"(<tr><td>(.*?)</td><td>(.*?)</td></tr>)");
    std::vector<std::pair<std::string, std::string>> rows;
    for (std::sregex_iterator it(table.begin(), table.end(), row), last; it != last; ++it)
        rows.emplace_back((*it)[1], (*it)[2]);
    return rows;
}

TEST(ShippedFiles, ManualListsEveryShortcutOfTheShortcutsPage) {
    const auto page = shortcutRows(readFile(kHelp / "shortcuts.htm"));
    const auto manual = shortcutRows(readFile(kHelp / "manual.htm"));
    EXPECT_GE(page.size(), 20u);
    EXPECT_EQ(manual, page);
}

class HelpPage : public testing::TestWithParam<const char*> {};

// Read offline from any folder: every picture and link is a file beside the page or an
// anchor in it, and nothing is fetched from the network.
TEST_P(HelpPage, ReferencesOnlyWhatShipsWithIt) {
    const std::string page = readFile(kHelp / GetParam());
    ASSERT_FALSE(page.empty());
    static const std::regex reference(R"re((src|href|srcset)="([^"]*)")re");
    static const std::regex candidate(R"(([^\s,]+)(\s+\d+x)?)");
    int checked = 0;
    for (std::sregex_iterator it(page.begin(), page.end(), reference), last; it != last; ++it) {
        const std::string attribute = (*it)[1];
        const std::string value = (*it)[2];
        for (std::sregex_iterator c(value.begin(), value.end(), candidate), none; c != none; ++c) {
            const std::string target = (*c)[1];
            ++checked;
            EXPECT_EQ(target.find("://"), std::string::npos) << attribute << "=" << target;
            if (target.rfind("mailto:", 0) == 0) continue;
            if (target[0] == '#') {
                EXPECT_NE(page.find("id=\"" + target.substr(1) + "\""), std::string::npos)
                    << "no anchor " << target;
                continue;
            }
            const std::string file = target.substr(0, target.find('#'));
            EXPECT_TRUE(std::filesystem::is_regular_file(kHelp / file)) << file;
        }
    }
    EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(ShippedFiles, HelpPage, testing::Values("manual.htm", "shortcuts.htm"),
                         [](const auto& info) {
                             std::string name = info.param;
                             return name.substr(0, name.find('.'));
                         });

TEST(ShippedFiles, ApplicationIdIsTheWebSiteTurnedRound) {
    static const std::regex host(R"(://(www\.)?([a-z0-9-]+)\.([a-z]+))");
    std::smatch parts;
    const std::string site = kWebSite;
    ASSERT_TRUE(std::regex_search(site, parts, host));
    EXPECT_EQ(std::string(kApplicationId), parts[3].str() + "." + parts[2].str() + ".Tonvel");
}

struct Mention {
    const char* file;     // under packaging/, "ID" standing for the application id
    const char* pattern;  // must match, "ID" and "VERSION" standing for theirs
};

class PackagingFile : public testing::TestWithParam<Mention> {};

TEST_P(PackagingFile, NamesTheProgramAsItNamesItself) {
    const auto substitute = [](std::string text) {
        for (const auto& [key, value] :
             {std::pair<std::string, std::string>{"ID", kApplicationId}, {"VERSION", version()}}) {
            for (auto at = text.find(key); at != std::string::npos;
                 at = text.find(key, at + value.size()))
                text.replace(at, key.size(), value);
        }
        return text;
    };
    const std::string file = substitute(GetParam().file);
    const std::string pattern = substitute(GetParam().pattern);
    const std::string text = readFile(kSource / "packaging" / file);
    ASSERT_FALSE(text.empty()) << file;
    EXPECT_TRUE(std::regex_search(text, std::regex(pattern, std::regex::multiline)))
        << file << " lacks " << pattern;
}

INSTANTIATE_TEST_SUITE_P(
    ShippedFiles, PackagingFile,
    testing::Values(Mention{"ID.desktop", "^Icon=ID$"}, Mention{"ID.desktop", "^Exec=tonvel$"},
                    Mention{"ID.metainfo.xml", "<id>ID</id>"},
                    Mention{"ID.metainfo.xml", "<launchable type=\"desktop-id\">ID.desktop<"},
                    // The newest release comes first.
                    Mention{"ID.metainfo.xml", "<releases>\\s*<release version=\"VERSION\""},
                    Mention{"changelog", "^tonvel \\(VERSION\\) "},
                    Mention{"tonvel.1", "^\\.TH TONVEL 1 .*\"Tonvel VERSION\""}));

TEST(ShippedFiles, PackageCopyrightCarriesTheBuiltInLicence) {
    const std::string copyright = readFile(kSource / "packaging/copyright");
    std::istringstream licence{std::string(defaultResource(kResourceLicence))};
    std::string line;
    std::getline(licence, line);  // the title line names the version, not the terms
    int terms = 0;
    while (std::getline(licence, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        ++terms;
        EXPECT_NE(copyright.find(" " + line + "\n"), std::string::npos) << line;
    }
    EXPECT_GT(terms, 0);
}

}  // namespace
}  // namespace tonvel
