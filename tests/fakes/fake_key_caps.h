#pragma once

#include <map>
#include <string>

#include "foundation/key_caps.h"

namespace tonvel::testing {

// A layout that prints what `legends` says; keys it does not name it cannot tell.
class FakeKeyCaps : public KeyCaps {
  public:
    std::map<int, std::string> legends;
    std::string legend(int keyCode) const override {
        const auto found = legends.find(keyCode);
        return found == legends.end() ? std::string() : found->second;
    }
};

}  // namespace tonvel::testing
