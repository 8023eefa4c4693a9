#pragma once

#include <chrono>
#include <optional>

#include "foundation/services.h"

namespace tonvel {

// The present, except while a timer's tick is worked out ahead of its time: then the time the
// tick's messages will leave.
class OutputClock : public Clock {
  public:
    std::chrono::steady_clock::time_point now() override {
        return ahead_ ? *ahead_ : std::chrono::steady_clock::now();
    }
    void tickAt(std::chrono::steady_clock::time_point due) { ahead_ = due; }
    void tickDone() { ahead_.reset(); }

  private:
    std::optional<std::chrono::steady_clock::time_point> ahead_;
};

}  // namespace tonvel
