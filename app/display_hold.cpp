#include "app/display_hold.h"

#include <chrono>
#include <cstdlib>
#include <string_view>
#include <thread>

#ifdef TONVEL_HAVE_X11
#include <X11/Xlib.h>
#endif

namespace tonvel {

namespace {

bool runsOnX11() {
    const char* display = std::getenv("DISPLAY");
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return display != nullptr && *display != '\0' &&
           (platform == nullptr || *platform == '\0' ||
            std::string_view(platform).starts_with("xcb"));
}

}  // namespace

DisplayHold::DisplayHold(int patienceMs) {
#ifdef TONVEL_HAVE_X11
    if (!runsOnX11()) return;
    using Clock = std::chrono::steady_clock;
    const auto giveUp = Clock::now() + std::chrono::milliseconds(patienceMs);
    while ((display_ = XOpenDisplay(nullptr)) == nullptr && Clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
#else
    (void)patienceMs;
#endif
}

DisplayHold::~DisplayHold() {
#ifdef TONVEL_HAVE_X11
    if (display_) XCloseDisplay(static_cast<Display*>(display_));
#endif
}

}  // namespace tonvel
