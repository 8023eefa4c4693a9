#include "app/timer_binding.h"

namespace tonvel {

TimerBinding::TimerBinding(Timer& model, std::function<void()> tick) : model_(model) {
    QObject::connect(&clock_, &QTimer::timeout, [this, tick = std::move(tick)] {
        if (model_.enabled) tick();
        sync();
    });
}

void TimerBinding::sync() {
    if (model_.enabled && model_.interval > 0) {
        if (!clock_.isActive() || clock_.interval() != model_.interval)
            clock_.start(model_.interval);
    } else {
        clock_.stop();
    }
}

}  // namespace tonvel
