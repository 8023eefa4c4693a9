#include "recording/midi_file.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "midi/midi_system.h"

namespace tonvel {

namespace {

constexpr const char* kTrackName = "Tonvel";

void putVariable(std::string& out, uint32_t value) {
    uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = value & 0x7F;
        value >>= 7;
    } while (value != 0);
    while (count > 0) {
        const uint8_t group = groups[--count];
        out += static_cast<char>(count > 0 ? group | 0x80 : group);
    }
}

void putBigEndian(std::string& out, uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// Reads from a byte range, failing on every read past its end.
class Cursor {
  public:
    Cursor(std::string_view bytes, size_t begin, size_t end)
        : bytes_(bytes), pos_(begin), end_(end) {}
    bool atEnd() const { return pos_ >= end_; }
    size_t position() const { return pos_; }
    std::optional<uint8_t> byte() {
        if (pos_ >= end_) return std::nullopt;
        return static_cast<uint8_t>(bytes_[pos_++]);
    }
    std::optional<uint32_t> bigEndian(int count) {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) {
            const auto b = byte();
            if (!b) return std::nullopt;
            value = value << 8 | *b;
        }
        return value;
    }
    // At most four bytes, as the format allows.
    std::optional<uint32_t> variable() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto b = byte();
            if (!b) return std::nullopt;
            value = value << 7 | (*b & 0x7F);
            if (!(*b & 0x80)) return value;
        }
        return std::nullopt;
    }
    bool skip(size_t count) {
        if (count > end_ - pos_) return false;
        pos_ += count;
        return true;
    }

  private:
    std::string_view bytes_;
    size_t pos_;
    size_t end_;
};

struct TickedMessage {
    uint64_t tick;
    size_t track;
    size_t order;
    uint32_t message;
};

std::optional<std::vector<TimedMessage>> failure(std::string* error, const std::string& why) {
    if (error) *error = why;
    return std::nullopt;
}

}  // namespace

std::string writeMidiFile(const std::vector<TimedMessage>& messages) {
    std::vector<TimedMessage> ordered = messages;
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const TimedMessage& a, const TimedMessage& b) { return a.ms < b.ms; });
    std::string track;
    putVariable(track, 0);
    track += "\xFF\x51\x03";
    putBigEndian(track, kMicrosecondsPerQuarter, 3);
    putVariable(track, 0);
    track += "\xFF\x03";
    putVariable(track, static_cast<uint32_t>(std::char_traits<char>::length(kTrackName)));
    track += kTrackName;
    int64_t last = 0;
    for (const auto& timed : ordered) {
        const int64_t at = std::max<int64_t>(timed.ms, last);
        putVariable(track, static_cast<uint32_t>(std::min<int64_t>(at - last, 0x0FFFFFFF)));
        last = at;
        const uint8_t status = timed.message & 0xFF;
        track += static_cast<char>(status);
        track += static_cast<char>((timed.message >> 8) & 0x7F);
        if (dataByteCount(status) == 2) track += static_cast<char>((timed.message >> 16) & 0x7F);
    }
    putVariable(track, 0);
    track += std::string("\xFF\x2F\x00", 3);

    std::string file = "MThd";
    putBigEndian(file, 6, 4);
    putBigEndian(file, 0, 2);  // format 0
    putBigEndian(file, 1, 2);  // one track
    putBigEndian(file, kTicksPerQuarter, 2);
    file += "MTrk";
    putBigEndian(file, static_cast<uint32_t>(track.size()), 4);
    file += track;
    return file;
}

std::optional<std::vector<TimedMessage>> readMidiFile(std::string_view bytes, std::string* error,
                                                      size_t maxMessages) {
    Cursor file(bytes, 0, bytes.size());
    if (bytes.substr(0, 4) != "MThd") return failure(error, "not a MIDI file");
    file.skip(4);
    const auto headerLength = file.bigEndian(4);
    const auto format = file.bigEndian(2);
    const auto trackCount = file.bigEndian(2);
    const auto division = file.bigEndian(2);
    if (!headerLength || !format || !trackCount || !division || *headerLength < 6)
        return failure(error, "the file's header is cut short");
    if (!file.skip(*headerLength - 6)) return failure(error, "the file's header is cut short");
    if (*format > 1) return failure(error, "only MIDI files of format 0 and 1 can be played");
    // Ticks to microseconds: per quarter note through the tempo, or a fixed rate in frames.
    double microsecondsPerTickAtOne = 0;  // for SMPTE timing
    if (*division & 0x8000) {
        const int framesPerSecond = 256 - static_cast<int>(*division >> 8);
        const int ticksPerFrame = static_cast<int>(*division & 0xFF);
        if (framesPerSecond <= 0 || ticksPerFrame == 0)
            return failure(error, "the file's timing is not readable");
        microsecondsPerTickAtOne = 1e6 / (framesPerSecond * ticksPerFrame);
    } else if (*division == 0) {
        return failure(error, "the file's timing is not readable");
    }

    std::vector<TickedMessage> ticked;
    std::map<uint64_t, uint32_t> tempos;  // tick → microseconds per quarter
    size_t tracksRead = 0;
    while (!file.atEnd() && tracksRead < *trackCount) {
        const size_t chunkStart = file.position();
        if (!file.skip(4)) break;
        const auto length = file.bigEndian(4);
        if (!length) return failure(error, "a track is cut short");
        const size_t begin = file.position();
        if (!file.skip(*length)) return failure(error, "a track is cut short");
        if (bytes.substr(chunkStart, 4) != "MTrk") continue;  // chunks of other kinds
        Cursor track(bytes, begin, begin + *length);
        uint64_t tick = 0;
        uint8_t running = 0;
        size_t order = 0;
        while (!track.atEnd()) {
            const auto delta = track.variable();
            const auto first = track.byte();
            if (!delta || !first) return failure(error, "a track is cut short");
            tick += *delta;
            uint8_t status = *first;
            if (status == 0xFF) {
                const auto type = track.byte();
                const auto size = track.variable();
                if (!type || !size) return failure(error, "a track is cut short");
                if (*type == 0x2F) break;
                if (*type == 0x51 && *size == 3) {
                    const auto tempo = track.bigEndian(3);
                    if (!tempo || *tempo == 0) return failure(error, "a tempo is not readable");
                    tempos[tick] = *tempo;
                } else if (!track.skip(*size)) {
                    return failure(error, "a track is cut short");
                }
                running = 0;
                continue;
            }
            if (status == 0xF0 || status == 0xF7) {
                const auto size = track.variable();
                if (!size || !track.skip(*size)) return failure(error, "a track is cut short");
                running = 0;
                continue;
            }
            std::optional<uint8_t> data1;
            if (status < 0x80) {  // running status: this byte is the first data byte
                if (running == 0) return failure(error, "a message has no status");
                data1 = status;
                status = running;
            } else if (status >= 0xF0) {
                return failure(error, "a system message inside a track");
            } else {
                running = status;
                data1 = track.byte();
            }
            std::optional<uint8_t> data2 = 0;
            if (dataByteCount(status) == 2) data2 = track.byte();
            if (!data1 || !data2) return failure(error, "a track is cut short");
            if (*data1 >= 0x80 || *data2 >= 0x80)
                return failure(error, "a data byte is out of range");
            if (ticked.size() >= maxMessages)
                return failure(error, "the file holds too many messages");
            ticked.push_back({tick, tracksRead, order++,
                              static_cast<uint32_t>(status) | static_cast<uint32_t>(*data1) << 8 |
                                  static_cast<uint32_t>(*data2) << 16});
        }
        ++tracksRead;
    }
    if (tracksRead == 0) return failure(error, "the file holds no track");

    std::stable_sort(ticked.begin(), ticked.end(),
                     [](const TickedMessage& a, const TickedMessage& b) {
                         if (a.tick != b.tick) return a.tick < b.tick;
                         return a.track != b.track ? a.track < b.track : a.order < b.order;
                     });
    std::vector<TimedMessage> out;
    out.reserve(ticked.size());
    double microseconds = 0;
    uint64_t lastTick = 0;
    uint32_t tempo = kMicrosecondsPerQuarter;
    auto nextTempo = tempos.begin();
    const auto advanceTo = [&](uint64_t tick) {
        const double perTick = microsecondsPerTickAtOne > 0
                                   ? microsecondsPerTickAtOne
                                   : static_cast<double>(tempo) / static_cast<double>(*division);
        microseconds += static_cast<double>(tick - lastTick) * perTick;
        lastTick = tick;
    };
    for (const auto& message : ticked) {
        while (nextTempo != tempos.end() && nextTempo->first <= message.tick) {
            advanceTo(nextTempo->first);
            tempo = nextTempo->second;
            ++nextTempo;
        }
        advanceTo(message.tick);
        out.push_back({static_cast<int64_t>(std::llround(microseconds / 1000.0)), message.message});
    }
    return out;
}

}  // namespace tonvel
