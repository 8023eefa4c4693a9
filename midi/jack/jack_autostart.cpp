#include "midi/jack/jack_autostart.h"

#include <cstdlib>
#include <string_view>

namespace tonvel {

void preventJackServerAutostart() {
    // Written once only: audio threads may be reading the environment.
    const char* current = std::getenv("JACK_NO_START_SERVER");
    if (current != nullptr && std::string_view(current) == "1") return;
    setenv("JACK_NO_START_SERVER", "1", 1);
}

}  // namespace tonvel
