#pragma once

#include <map>
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

    std::map<std::string, std::vector<std::string>> lists;
    std::map<std::string, std::string> texts;
};

}  // namespace tonvel::testing
