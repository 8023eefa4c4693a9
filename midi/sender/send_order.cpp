#include "midi/sender/send_order.h"

#include <algorithm>

namespace tonvel {

namespace {

bool isNoteOn(uint32_t message) {
    return (message & 0xF0) == 0x90 && ((message >> 16) & 0x7F) != 0;
}

bool isNoteOff(uint32_t message) {
    return (message & 0xF0) == 0x80 || ((message & 0xF0) == 0x90 && ((message >> 16) & 0x7F) == 0);
}

// All sound off, all notes off and the mode changes.
bool endsChannelNotes(uint32_t message) {
    const uint32_t controller = (message >> 8) & 0x7F;
    return (message & 0xF0) == 0xB0 && (controller == 120 || controller >= 123);
}

size_t noteIndex(uint32_t message) {
    return (message & 0x0F) * 128 + ((message >> 8) & 0x7F);
}

uint32_t noteOffFor(size_t index) {
    return packMessage(0x80 + static_cast<int>(index / 128), static_cast<int>(index % 128), 0);
}

bool laterThan(const auto& a, const auto& b) {
    return a.due != b.due ? a.due > b.due : a.order > b.order;
}

}  // namespace

SendOrder::SendOrder(size_t room) {
    waiting_.reserve(room);
}

void SendOrder::take(const Command& command) {
    now_ = std::max(now_, command.at);
    switch (command.kind) {
        case Command::Kind::Send:
            file(command.message,
                 command.source == nullptr ? std::max(command.due, stoppedAt_) : command.due,
                 command.source);
            break;
        case Command::Kind::Stop:
            stoppedAt_ = std::max(stoppedAt_, std::min(command.due, command.at + kFarthestStop));
            stop(command.source, command.due);
            break;
        case Command::Kind::Pause:
            if (mode_ != Mode::Delivering) break;
            mode_ = Mode::Pausing;
            until_ = command.at;
            deadline_ = command.at + kGrace;
            break;
        case Command::Kind::Close:
            if (mode_ == Mode::Closed) break;
            mode_ = Mode::Closing;
            until_ = command.at;
            deadline_ = command.at + kGrace;
            ending_ = false;
            retryAt_.reset();
            break;
        case Command::Kind::Resume:
            if (mode_ != Mode::Held && mode_ != Mode::Closed) break;
            mode_ = Mode::Delivering;
            retryAt_.reset();
            resume();
            break;
    }
}

void SendOrder::file(uint32_t message, TimePoint due, const void* source) {
    if (waiting_.size() == waiting_.capacity()) {
        if (!isNoteOff(message)) {
            ++dropped_;
            return;
        }
        crowdOut();
        if (waiting_.size() == waiting_.capacity()) {
            // Nothing but note-offs wait: this one leaves ahead of them, which changes nothing.
            owed_.set(noteIndex(message));
            return;
        }
    }
    waiting_.push_back({due, order_++, message, source});
    std::push_heap(waiting_.begin(), waiting_.end(), laterThan<Entry, Entry>);
}

// A note-off finds the room full: the last message due that is not a note-off gives way.
void SendOrder::crowdOut() {
    auto last = waiting_.end();
    for (auto it = waiting_.begin(); it != waiting_.end(); ++it) {
        if (isNoteOff(it->message)) continue;
        if (last == waiting_.end() || laterThan(*it, *last)) last = it;
    }
    if (last == waiting_.end()) return;
    *last = waiting_.back();
    waiting_.pop_back();
    heapify();
    ++dropped_;
}

void SendOrder::stop(const void* source, TimePoint after) {
    // The note-offs stay: a note they end may have left, or may still leave as it was due before
    // the stop. Moved to the stop's time and filed anew, they leave after all the source kept.
    const auto end = std::remove_if(waiting_.begin(), waiting_.end(), [&](Entry& entry) {
        if (entry.source != source || entry.due <= after) return false;
        if (!isNoteOff(entry.message)) return true;
        entry.due = after;
        entry.order = order_++;
        return false;
    });
    waiting_.erase(end, waiting_.end());
    heapify();
}

void SendOrder::resume() {
    if (now_ < TimePoint::min() + kStale) return;
    const TimePoint stale = now_ - kStale;
    // Only what a timer played: a key pressed during the pause still sounds, late.
    const auto end = std::remove_if(waiting_.begin(), waiting_.end(), [&](const Entry& entry) {
        return entry.source != nullptr && entry.due < stale && isNoteOn(entry.message);
    });
    waiting_.erase(end, waiting_.end());
    heapify();
}

void SendOrder::heapify() {
    std::make_heap(waiting_.begin(), waiting_.end(), laterThan<Entry, Entry>);
}

std::optional<uint32_t> SendOrder::nextOwed() {
    if (owed_.none()) return std::nullopt;
    for (size_t i = 0; i < owed_.size(); ++i) {
        if (!owed_.test(i)) continue;
        owedAt_ = i;
        offered_ = Offered::Owed;
        return noteOffFor(i);
    }
    return std::nullopt;
}

std::optional<uint32_t> SendOrder::next(TimePoint now) {
    now_ = std::max(now_, now);
    if (offered_ != Offered::Nothing) return std::nullopt;
    if ((mode_ == Mode::Pausing || mode_ == Mode::Closing) && now_ >= deadline_) {
        finishPauseOrClose();
    }
    if (mode_ == Mode::Held || mode_ == Mode::Closed) return std::nullopt;
    if (retryAt_) {
        if (now_ < *retryAt_) return std::nullopt;
        retryAt_.reset();
    }
    if (auto off = nextOwed()) return off;
    if (mode_ == Mode::Closing && ending_) {
        finishPauseOrClose();
        return std::nullopt;
    }
    const TimePoint limit = mode_ == Mode::Delivering ? now_ : until_;
    if (!waiting_.empty() && waiting_.front().due <= limit) {
        offered_ = Offered::Waiting;
        return waiting_.front().message;
    }
    if (mode_ == Mode::Pausing) {
        finishPauseOrClose();
    } else if (mode_ == Mode::Closing) {
        // What was due has left: now every note that left since the opening ends.
        ending_ = true;
        owed_ |= started_;
        owed_ |= sounding_;
        return next(now);
    }
    return std::nullopt;
}

SendOrder::TimePoint SendOrder::offeredDue() const {
    // A note-off owed by a close is due as soon as it can leave.
    return offered_ == Offered::Waiting ? waiting_.front().due : now_;
}

void SendOrder::result(SendResult result) {
    const Offered offered = offered_;
    offered_ = Offered::Nothing;
    if (offered == Offered::Nothing) return;
    if (result == SendResult::Busy) {
        retryAt_ = now_ + kRetry;
        return;
    }
    if (result == SendResult::Failed) ++refused_;
    if (offered == Offered::Owed) {
        owed_.reset(owedAt_);
        if (result == SendResult::Sent) sounding_.reset(owedAt_);
        return;
    }
    const uint32_t message = waiting_.front().message;
    std::pop_heap(waiting_.begin(), waiting_.end(), laterThan<Entry, Entry>);
    waiting_.pop_back();
    if (result == SendResult::Sent) sent(message);
}

void SendOrder::sent(uint32_t message) {
    if (isNoteOn(message)) {
        sounding_.set(noteIndex(message));
        started_.set(noteIndex(message));
    } else if (isNoteOff(message)) {
        sounding_.reset(noteIndex(message));
    } else if (endsChannelNotes(message)) {
        const size_t channel = message & 0x0F;
        for (size_t note = 0; note < 128; ++note) sounding_.reset(channel * 128 + note);
    }
}

void SendOrder::finishPauseOrClose() {
    if (mode_ == Mode::Pausing) {
        mode_ = Mode::Held;
        return;
    }
    // The output goes now: what it could not take in time is lost with it.
    dropped_ += owed_.count();
    owed_.reset();
    sounding_.reset();
    started_.reset();
    ending_ = false;
    mode_ = Mode::Closed;
}

std::optional<SendOrder::TimePoint> SendOrder::wakeAt() const {
    if (mode_ == Mode::Held || mode_ == Mode::Closed) return std::nullopt;
    const bool finishing = mode_ == Mode::Pausing || mode_ == Mode::Closing;
    if (retryAt_) return finishing ? std::min(*retryAt_, deadline_) : *retryAt_;
    if (finishing || owed_.any()) return now_;
    if (waiting_.empty()) return std::nullopt;
    return waiting_.front().due;
}

}  // namespace tonvel
