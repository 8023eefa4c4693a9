#include "recording/take.h"

#include <algorithm>

namespace tonvel {

namespace {
constexpr uint32_t kSustainPedal = 64;
}  // namespace

void SoundingNotes::follow(uint32_t message) {
    const int kind = message & 0xF0, channel = message & 0x0F;
    const int note = (message >> 8) & 0x7F, velocity = (message >> 16) & 0x7F;
    if (kind == 0x90 && velocity > 0) {
        notes_.insert({channel, note});
    } else if (kind == 0x80 || kind == 0x90) {
        notes_.erase({channel, note});
    } else if (kind == 0xB0 && note == kSustainPedal) {
        if (velocity >= 64) {
            pedals_.insert(channel);
        } else {
            pedals_.erase(channel);
        }
    }
}

std::vector<uint32_t> SoundingNotes::silencing() const {
    std::vector<uint32_t> offs;
    for (const auto& [channel, note] : notes_)
        offs.push_back(0x80u | static_cast<uint32_t>(channel) | static_cast<uint32_t>(note) << 8);
    for (const int channel : pedals_)
        offs.push_back(0xB0u | static_cast<uint32_t>(channel) | kSustainPedal << 8);
    return offs;
}

Take::Take(TimePoint start, std::vector<uint32_t> opening) : start_(start) {
    for (uint32_t message : opening) add(start, message);
}

int64_t Take::msSinceStart(TimePoint at) const {
    const auto ms = std::chrono::round<std::chrono::milliseconds>(at - start_).count();
    return std::max<int64_t>(ms, 0);
}

void Take::add(TimePoint at, uint32_t message, const void* source) {
    messages_.push_back({msSinceStart(at), message});
    sources_.push_back(source);
    sentAt_.push_back(at);
    sounding_.follow(message);
}

void Take::forget(const void* source, TimePoint at) {
    const int64_t stop = msSinceStart(at);
    size_t kept = 0;
    for (size_t i = 0; i < messages_.size(); ++i) {
        TimedMessage message = messages_[i];
        TimePoint sentAt = sentAt_[i];
        if (sources_[i] == source && sentAt > at) {
            const int kind = message.message & 0xF0;
            const bool noteOff =
                kind == 0x80 || (kind == 0x90 && ((message.message >> 16) & 0x7F) == 0);
            if (!noteOff) continue;
            message.ms = stop;
            sentAt = at;
        }
        messages_[kept] = message;
        sentAt_[kept] = sentAt;
        sources_[kept++] = sources_[i];
    }
    messages_.resize(kept);
    sources_.resize(kept);
    sentAt_.resize(kept);
    sounding_.clear();
    for (const auto& message : messages_) sounding_.follow(message.message);
}

std::vector<TimedMessage> Take::finish(TimePoint at) {
    const int64_t end = msSinceStart(at);
    for (uint32_t off : sounding_.silencing()) messages_.push_back({end, off});
    sounding_.clear();
    // Messages handed over ahead of their time may be stamped after a later key: in time order.
    std::stable_sort(messages_.begin(), messages_.end(),
                     [](const TimedMessage& a, const TimedMessage& b) { return a.ms < b.ms; });
    return std::move(messages_);
}

Playback::Playback(std::vector<TimedMessage> messages) : messages_(std::move(messages)) {
    std::stable_sort(messages_.begin(), messages_.end(),
                     [](const TimedMessage& a, const TimedMessage& b) { return a.ms < b.ms; });
}

std::optional<int64_t> Playback::firstWait() const {
    if (messages_.empty()) return std::nullopt;
    return std::max<int64_t>(messages_.front().ms, 0);
}

std::vector<uint32_t> Playback::next() {
    std::vector<uint32_t> due;
    if (finished()) return due;
    const int64_t at = messages_[position_].ms;
    while (position_ < messages_.size() && messages_[position_].ms == at) {
        const uint32_t message = messages_[position_++].message;
        sounding_.follow(message);
        if ((message & 0xF0) == 0xC0) changedProgram_ = true;
        due.push_back(message);
    }
    return due;
}

std::optional<int64_t> Playback::waitForNext() const {
    if (finished() || position_ == 0) return std::nullopt;
    return messages_[position_].ms - messages_[position_ - 1].ms;
}

std::vector<uint32_t> Playback::silence() {
    auto offs = sounding_.silencing();
    sounding_.clear();
    return offs;
}

}  // namespace tonvel
