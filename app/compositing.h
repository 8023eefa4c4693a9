#pragma once

namespace tonvel {

// Whether the desktop composes windows, so that a window's transparent pixels show what lies
// behind it: always on Wayland; on X11 while a compositing manager runs; never off screen.
bool desktopComposites();

}  // namespace tonvel
