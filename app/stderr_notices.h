#pragma once

#include <cstdio>
#include <string>

#include "foundation/services.h"

namespace tonvel {

class StderrNotices : public Notices {
  public:
    void tell(const std::string& text) override {
        std::fprintf(stderr, "tonvel: %s\n", text.c_str());
    }
};

}  // namespace tonvel
