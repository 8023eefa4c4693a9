#include "midi/synth/fluid_log.h"

#include <fluidsynth.h>

#include <mutex>

namespace tonvel {

namespace {

thread_local bool muted = false;
thread_local FluidLogCapture* capture = nullptr;

void routed(int level, const char* message, void* data) {
    if (FluidLogCapture* here = capture) {
        here->keep(level, message);
    } else if (!muted) {
        fluid_default_log_function(level, message, data);
    }
}

}  // namespace

void routeFluidLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN})
            fluid_set_log_function(level, routed, nullptr);
    });
}

void muteFluidLogOnThisThread() {
    routeFluidLog();
    muted = true;
}

FluidLogCapture::FluidLogCapture() : outer_(capture) {
    routeFluidLog();
    capture = this;
}

FluidLogCapture::~FluidLogCapture() {
    capture = outer_;
}

FluidLogCapture* FluidLogCapture::current() {
    return capture;
}

void FluidLogCapture::keep(int level, const char* message) {
    if (message == nullptr) return;
    // The first error names the fault; those after it only say what failed because of it.
    std::string& kept = level == FLUID_WARN ? warning_ : error_;
    if (kept.empty()) kept = message;
}

}  // namespace tonvel
