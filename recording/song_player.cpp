#include "recording/song_player.h"

#include <algorithm>
#include <cmath>

namespace tonvel {

namespace {

// The part's notes this close after the first are one chord, waited for together.
constexpr int64_t kChordMs = 40;
// A note played this little before the song reaches it counts for it.
constexpr auto kEarly = std::chrono::milliseconds(250);
// The timer counts whole milliseconds: a message this close is due.
constexpr auto kDueSlack = std::chrono::microseconds(500);

bool isNoteOn(uint32_t message) {
    return (message & 0xF0) == 0x90 && ((message >> 16) & 0x7F) != 0;
}

double clampedSpeed(double speed) {
    return std::isfinite(speed) ? std::clamp(speed, 0.25, 4.0) : 1.0;
}

}  // namespace

SongPlayer::SongPlayer(std::shared_ptr<const Song> song, TimePoint start, double speed,
                       std::optional<int> part, int lowestKey)
    : song_(std::move(song)),
      speed_(clampedSpeed(speed)),
      anchor_(start),
      part_(part),
      lowestKey_(lowestKey) {
    if (part_) shift_ = tonvel::partShift(*song_, *part_, lowestKey_);
}

SongPlayer::TimePoint SongPlayer::timeOf(double songMs) const {
    return anchor_ + std::chrono::duration_cast<TimePoint::duration>(
                         std::chrono::duration<double, std::milli>((songMs - anchorMs_) / speed_));
}

bool SongPlayer::isPartNote(uint32_t message) const {
    const uint32_t kind = message & 0xF0;
    return part_ && static_cast<int>(message & 0x0F) == *part_ &&
           (kind == 0x80 || kind == 0x90 || kind == 0xA0);
}

std::vector<uint32_t> SongPlayer::due(TimePoint now) {
    std::vector<uint32_t> out;
    const auto& messages = song_->messages;
    while (position_ < messages.size() && awaited_.empty()) {
        const TimedMessage& timed = messages[position_];
        if (timeOf(static_cast<double>(timed.ms)) > now + kDueSlack) break;
        if (isPartNote(timed.message)) {
            if (isNoteOn(timed.message) && position_ >= waitFrom_) {
                beginWait(now);
                continue;
            }
            ++position_;
            continue;
        }
        sounding_.follow(timed.message);
        if ((timed.message & 0xF0) == 0xC0) changedProgram_ = true;
        out.push_back(timed.message);
        ++position_;
    }
    return out;
}

void SongPlayer::beginWait(TimePoint now) {
    const auto& messages = song_->messages;
    waitMs_ = messages[position_].ms;
    for (size_t i = position_; i < messages.size() && messages[i].ms <= waitMs_ + kChordMs; ++i) {
        const uint32_t message = messages[i].message;
        if (!isPartNote(message) || !isNoteOn(message)) continue;
        const int original = static_cast<int>((message >> 8) & 0x7F);
        const int onKeys = noteOnKeys(original, shift_, lowestKey_);
        if (std::none_of(awaited_.begin(), awaited_.end(),
                         [&](const Awaited& a) { return a.onKeys == onKeys; }))
            awaited_.push_back({onKeys, original});
        waitFrom_ = i + 1;
    }
    // Notes played just before the song got here count; each counts once.
    std::erase_if(recentlyPlayed_, [&](const auto& p) { return now - p.second > kEarly; });
    for (auto played = recentlyPlayed_.begin(); played != recentlyPlayed_.end();) {
        const auto at = std::find_if(awaited_.begin(), awaited_.end(), [&](const Awaited& a) {
            return a.onKeys == played->first || a.original == played->first;
        });
        if (at == awaited_.end()) {
            ++played;
            continue;
        }
        awaited_.erase(at);
        played = recentlyPlayed_.erase(played);
    }
    // Played already: the song keeps its own time.
}

void SongPlayer::goOn(TimePoint now) {
    awaited_.clear();
    anchorMs_ = static_cast<double>(waitMs_);
    anchor_ = now;
}

std::optional<SongPlayer::TimePoint> SongPlayer::nextDue() const {
    if (waiting() || position_ >= song_->messages.size()) return std::nullopt;
    return timeOf(static_cast<double>(song_->messages[position_].ms));
}

std::vector<int> SongPlayer::awaited() const {
    std::vector<int> notes;
    for (const Awaited& a : awaited_) notes.push_back(a.onKeys);
    return notes;
}

bool SongPlayer::played(int note, TimePoint now) {
    const auto at = std::find_if(awaited_.begin(), awaited_.end(), [&](const Awaited& a) {
        return a.onKeys == note || a.original == note;
    });
    if (at == awaited_.end()) {
        std::erase_if(recentlyPlayed_, [&](const auto& p) { return now - p.second > kEarly; });
        recentlyPlayed_.push_back({note, now});
        return false;
    }
    awaited_.erase(at);
    if (!awaited_.empty()) return false;
    goOn(now);
    return true;
}

int64_t SongPlayer::position(TimePoint now) const {
    const auto& messages = song_->messages;
    if (waiting()) return waitMs_;
    if (position_ >= messages.size()) return song_->lengthMs;
    const double elapsed = std::chrono::duration<double, std::milli>(now - anchor_).count();
    const double lowest = position_ > 0 ? static_cast<double>(messages[position_ - 1].ms) : 0.0;
    const double at = std::clamp(anchorMs_ + elapsed * speed_, lowest,
                                 std::max(lowest, static_cast<double>(messages[position_].ms)));
    return std::llround(at);
}

void SongPlayer::setSpeed(double speed, TimePoint now) {
    if (!waiting()) {
        anchorMs_ = static_cast<double>(position(now));
        anchor_ = now;
    }
    speed_ = clampedSpeed(speed);
}

std::vector<uint32_t> SongPlayer::setPart(std::optional<int> part, TimePoint now) {
    std::vector<uint32_t> offs;
    if (part == part_) return offs;
    if (waiting()) goOn(now);
    part_ = part;
    waitFrom_ = position_;
    recentlyPlayed_.clear();
    if (!part_) return offs;
    shift_ = tonvel::partShift(*song_, *part_, lowestKey_);
    for (int note = 0; note < 128; ++note) {
        if (!sounding_.sounds(*part_, note)) continue;
        offs.push_back(0x80u | static_cast<uint32_t>(*part_) | static_cast<uint32_t>(note) << 8);
        sounding_.follow(offs.back());
    }
    return offs;
}

void SongPlayer::setLowestKey(int lowest) {
    lowestKey_ = lowest;
    if (!part_) return;
    shift_ = tonvel::partShift(*song_, *part_, lowestKey_);
    for (Awaited& a : awaited_) a.onKeys = noteOnKeys(a.original, shift_, lowestKey_);
}

std::vector<uint32_t> SongPlayer::silence() {
    auto offs = sounding_.silencing();
    sounding_.clear();
    return offs;
}

}  // namespace tonvel
