#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tonvel {

// What became of one message handed to an output.
enum class SendResult {
    Sent,
    Busy,    // the output cannot take it now; the same message may be offered again later
    Failed,  // nothing is open, the message is not one, or the output refused it
};

// The platform's MIDI output service: the built-in synthesizer plus the system's
// MIDI ports. Device number -1 is the built-in synthesizer; 0..N-1 are the ports
// in the order outputNames() gives them.
class MidiSystem {
  public:
    virtual ~MidiSystem() = default;

    virtual std::vector<std::string> outputNames() = 0;
    // Closes whatever is open first. False when the device cannot be opened.
    virtual bool open(int deviceNumber) = 0;
    virtual void close() = 0;
    // One short message packed as status | data1 << 8 | data2 << 16. Sends 2 or 3
    // bytes depending on the status. False when nothing is open or the send failed.
    virtual bool sendShortMessage(uint32_t message) = 0;
    // As sendShortMessage, telling an output that is full for now from one that refused.
    virtual SendResult trySend(uint32_t message) {
        return sendShortMessage(message) ? SendResult::Sent : SendResult::Failed;
    }
    // As trySend, for a message due at `due`: an output that can place a message in time (a
    // JACK port, at its frame in a cycle) keeps the spacing of the times it is given; the others
    // send at once.
    virtual SendResult trySendAt(uint32_t message, std::chrono::steady_clock::time_point due) {
        (void)due;
        return trySend(message);
    }
    // Readies, on the caller's thread, what `message` needs once it is sent (the samples of the
    // program a program change chooses), so that the thread that sends it has no slow work.
    // Called before the message is handed over.
    virtual void prepare(uint32_t message) { (void)message; }
    // Forgets what the ticks of `source` (a timer) handed over ahead of its time and has not
    // left yet. Outputs that send everything at once have nothing to forget.
    // Only what was due after `after` is forgotten: what was due before it leaves, however late.
    virtual void dropTimed(const void* source, std::chrono::steady_clock::time_point after) {
        (void)source;
        (void)after;
    }
};

// Data bytes after a channel message's status: one for a program change or channel pressure.
inline constexpr int dataByteCount(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// A short message packed as MidiSystem::sendShortMessage takes it.
inline constexpr uint32_t packMessage(int status, int data1, int data2) {
    return static_cast<uint32_t>(status) | static_cast<uint32_t>(data1) << 8 |
           static_cast<uint32_t>(data2) << 16;
}

// Bytes of a packed short message, in wire order, 2 or 3 of them; no allocation, for the
// threads that must not.
struct ShortMessageBytes {
    std::array<uint8_t, 3> bytes{};
    size_t size = 0;
    const uint8_t* data() const { return bytes.data(); }
    const uint8_t* begin() const { return bytes.data(); }
    const uint8_t* end() const { return bytes.data() + size; }
    uint8_t operator[](size_t i) const { return bytes[i]; }
};
ShortMessageBytes packedBytes(uint32_t message);
std::vector<uint8_t> shortMessageBytes(uint32_t message);

}  // namespace tonvel
