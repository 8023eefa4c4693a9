#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "foundation/services.h"
#include "performance/ini_text.h"

namespace tonvel {

// A larger tonvel.ini is no file of ours: it is left alone.
inline constexpr size_t kMaxPreferencesBytes = 1024 * 1024;

// The program's own settings in an INI file beside the settings file, which a person may edit
// and which QSettings wrote before: read on first use, never through a link nor from anything
// but a regular file, and no more than its limit. Each change is saved at once over what the
// file holds then, in one step; everything else in it stays as it was. A file that cannot be
// read whole is never written: the choices then last for the run only.
class PreferencesFile : public Preferences {
  public:
    explicit PreferencesFile(std::string path) : path_(std::move(path)) {}

    std::vector<std::string> list(const std::string& key) override;
    void setList(const std::string& key, const std::vector<std::string>& values) override;
    std::string text(const std::string& key) override;
    void setText(const std::string& key, const std::string& value) override;
    std::optional<std::string> failure() override;

  private:
    struct Change {
        std::string key;
        std::optional<std::string> text;  // else a list
        std::vector<std::string> list;
    };

    // The file's content, or nothing when it cannot be taken whole (told then).
    std::optional<IniText> read();
    void load();
    void change(Change change);
    void fail(const std::string& what);

    std::string path_;
    bool loaded_ = false;
    IniText ini_;
    std::vector<Change> changes_;  // made in this run, laid again over the file at each save
    std::vector<std::string> untold_;
    std::set<std::string> told_;
};

}  // namespace tonvel
