#pragma once

#include <QTimer>
#include <functional>

#include "foundation/controls.h"

namespace tonvel {

// Runs a timer model: ticks its handler while the model is enabled.
class TimerBinding {
  public:
    TimerBinding(Timer& model, std::function<void()> tick);
    // Starts or stops the clock to match the model.
    void sync();

  private:
    Timer& model_;
    QTimer clock_;
};

}  // namespace tonvel
