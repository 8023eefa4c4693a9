#pragma once

#include <string>

namespace tonvel {

// Whether a JACK server answers, asked without ever starting one.
bool jackServerRunning(const std::string& clientName);

}  // namespace tonvel
