#pragma once

#include <cstdint>

namespace tonvel {

// True for a channel message (status 0x80..0xEF) whose transmitted data bytes are all
// below 0x80. A data byte with the top bit set would be read by the receiver as a new
// status byte, and system messages have lengths the 2-or-3-byte packing cannot express.
bool isSendableShortMessage(uint32_t message);

}  // namespace tonvel
