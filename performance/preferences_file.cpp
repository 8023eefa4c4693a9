#include "performance/preferences_file.h"

#include <algorithm>
#include <cstring>

#include "platform/file_read.h"
#include "platform/file_write.h"

namespace tonvel {

namespace {

bool apply(IniText& ini, const std::string& key, const std::optional<std::string>& text,
           const std::vector<std::string>& list) {
    return text ? ini.setText(key, *text) : ini.setList(key, list);
}

}  // namespace

std::vector<std::string> PreferencesFile::list(const std::string& key) {
    load();
    return ini_.list(key);
}

void PreferencesFile::setList(const std::string& key, const std::vector<std::string>& values) {
    change(Change{key, std::nullopt, values});
}

std::string PreferencesFile::text(const std::string& key) {
    load();
    return ini_.text(key);
}

void PreferencesFile::setText(const std::string& key, const std::string& value) {
    change(Change{key, value, {}});
}

std::optional<std::string> PreferencesFile::failure() {
    if (untold_.empty()) return std::nullopt;
    std::string first = std::move(untold_.front());
    untold_.erase(untold_.begin());
    return first;
}

std::optional<IniText> PreferencesFile::read() {
    // One byte over the limit tells a file that is too large.
    const FileStart file = readFileStart(path_, kMaxPreferencesBytes + 1, Links::Refuse);
    std::string problem;
    switch (file.failure) {
        case ReadFailure::None:
            if (file.bytes.size() <= kMaxPreferencesBytes) return IniText(file.bytes);
            problem = "larger than " + std::to_string(kMaxPreferencesBytes >> 20) + " MB";
            break;
        case ReadFailure::NotFound:
            return IniText();
        case ReadFailure::Link:
            problem = "a symbolic link";
            break;
        case ReadFailure::NotAFile:
            problem = "not a file";
            break;
        case ReadFailure::NoPermission:
            problem = "not readable";
            break;
        case ReadFailure::Other:
            problem = std::string("unreadable (") + std::strerror(file.error) + ")";
            break;
    }
    fail(path_ + " is " + problem + ": left alone, choices not kept");
    return std::nullopt;
}

void PreferencesFile::load() {
    if (loaded_) return;
    loaded_ = true;
    if (auto ini = read()) ini_ = std::move(*ini);
}

void PreferencesFile::change(Change change) {
    load();
    if (!apply(ini_, change.key, change.text, change.list)) return;
    const auto same = [&change](const Change& c) { return c.key == change.key; };
    changes_.erase(std::remove_if(changes_.begin(), changes_.end(), same), changes_.end());
    changes_.push_back(std::move(change));
    // What the file holds now, in case someone edited it while the program ran.
    auto file = read();
    if (!file) return;
    const std::string before = file->text();
    for (const Change& c : changes_) apply(*file, c.key, c.text, c.list);
    int error = 0;
    if (file->text() != before && !replaceFile(path_, file->text(), &error))
        fail(path_ + " could not be saved (" + std::strerror(error) + ")");
    ini_ = std::move(*file);
}

void PreferencesFile::fail(const std::string& what) {
    if (told_.insert(what).second) untold_.push_back(what);
}

}  // namespace tonvel
