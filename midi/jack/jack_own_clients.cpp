#include "midi/jack/jack_own_clients.h"

#include <algorithm>
#include <cctype>

namespace tonvel {

bool isOwnJackPort(std::string_view portName, std::string_view programName) {
    const size_t colon = portName.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view client = portName.substr(0, colon);
    if (!client.starts_with(programName)) return false;
    const std::string_view rest = client.substr(programName.size());
    if (rest.empty()) return true;
    return rest.size() > 1 && rest[0] == '-' &&
           std::all_of(rest.begin() + 1, rest.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace tonvel
