#pragma once

#include <string_view>

namespace tonvel {

// Whether a JACK port ("client:port") belongs to a client of this program: one named after it,
// or a second one JACK renamed to "<name>-01" and so on because the name was taken.
bool isOwnJackPort(std::string_view portName, std::string_view programName);

}  // namespace tonvel
