#pragma once

namespace tonvel {

// Tells Qt, and through it the desktop, who this program is: its version, desktop
// entry and icon. Call once the application object, its name and the skin resources exist.
void nameApplication();

}  // namespace tonvel
