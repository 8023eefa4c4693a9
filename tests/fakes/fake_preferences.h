#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "foundation/services.h"

namespace tonvel::testing {

class FakePreferences : public Preferences {
  public:
    std::vector<std::string> list(const std::string& key) override { return lists[key]; }
    void setList(const std::string& key, const std::vector<std::string>& values) override {
        lists[key] = values;
    }
    std::string text(const std::string& key) override { return texts[key]; }
    void setText(const std::string& key, const std::string& value) override { texts[key] = value; }
    std::optional<std::string> failure() override {
        if (failures.empty()) return std::nullopt;
        std::string first = failures.front();
        failures.erase(failures.begin());
        return first;
    }

    std::map<std::string, std::vector<std::string>> lists;
    std::map<std::string, std::string> texts;
    std::vector<std::string> failures;  // handed out one by one
};

}  // namespace tonvel::testing
