#include "midi/sender/scheduled_midi_system.h"

#include <algorithm>

#include "midi/realtime/realtime_thread.h"

namespace tonvel {

namespace {

// Low among real-time threads: above the desktop, below the audio and JACK threads.
constexpr int kSenderPriority = 10;
// How soon a full output is offered the rest again: about a JACK period.
constexpr auto kRetry = std::chrono::milliseconds(1);
// What was due this long before an output came back is no longer worth playing.
constexpr auto kStale = std::chrono::milliseconds(100);
// A close gives a full output this long to take the last note-offs.
constexpr auto kCloseGrace = std::chrono::milliseconds(200);

bool laterThan(const auto& a, const auto& b) {
    return a.when != b.when ? a.when > b.when : a.order > b.order;
}

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

}  // namespace

ScheduledMidiSystem::ScheduledMidiSystem(MidiSystem& output) : ScheduledMidiSystem(output, true) {}

ScheduledMidiSystem::ScheduledMidiSystem(MidiSystem& output, bool startThread)
    : output_(output), threaded_(startThread) {
    waiting_.reserve(kWaitingRoom);
    if (!startThread) return;
    sender_ = std::thread([this] {
        // Where the system allows it, by itself or through rtkit; otherwise the thread runs as
        // any other and still keeps the beat off the window's thread. Asked from this thread so
        // that a slow system bus holds nobody up.
        realTime_ = raiseToRealtime(currentThreadId(), kSenderPriority) != RealtimeGrant::Refused;
        run();
    });
}

ScheduledMidiSystem::~ScheduledMidiSystem() {
    if (!sender_.joinable()) return;
    hand({.kind = Kind::Stop});
    sender_.join();
}

// The window's thread's side.

void ScheduledMidiSystem::hand(const Command& command) {
    const bool mayGiveWay = command.kind == Kind::Send;
    // The ring holds some 16,000 messages; it fills only while the sending thread gets no
    // time at all, so the window waits for it a little before anything gives.
    for (int tries = 0; !ring_->push(command); ++tries) {
        if (!threaded_) {
            sendDue(lastNow_);
            continue;
        }
        wake();
        if (mayGiveWay && tries > 200) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    wake();
}

void ScheduledMidiSystem::wake() {
    wakeUp_.wake();
}

void ScheduledMidiSystem::fence(Kind kind) {
    const uint64_t id = fencesHanded_.fetch_add(1, std::memory_order_relaxed) + 1;
    hand({.kind = kind});
    if (!threaded_) {
        sendDue(lastNow_);
        return;
    }
    for (uint64_t done = fencesDone_.load(std::memory_order_acquire); done < id;
         done = fencesDone_.load(std::memory_order_acquire))
        fencesDone_.wait(done, std::memory_order_acquire);
}

std::vector<std::string> ScheduledMidiSystem::outputNames() {
    // Listing asks the same MIDI clients that send: not while the thread sends.
    if (outputOpen_) fence(Kind::Pause);
    auto names = output_.outputNames();
    if (outputOpen_) fence(Kind::Attach);
    return names;
}

bool ScheduledMidiSystem::open(int deviceNumber) {
    close();
    outputOpen_ = output_.open(deviceNumber);
    if (outputOpen_) fence(Kind::Attach);
    return outputOpen_;
}

void ScheduledMidiSystem::close() {
    // The thread ends what sounds and stops sending before the output goes, which may load or
    // connect: slow work it never waits on.
    fence(Kind::Detach);
    outputOpen_ = false;
    output_.close();
}

bool ScheduledMidiSystem::sendShortMessage(uint32_t message) {
    if (!outputOpen_) return false;
    Command command{.kind = Kind::Send, .message = message, .source = nullptr};
    if (timedAt_) {
        command.timed = true;
        command.when = *timedAt_;
        command.source = timedSource_;
    }
    hand(command);
    if (!threaded_ && !command.timed) sendDue(lastNow_);
    return true;
}

void ScheduledMidiSystem::beginTimed(Clock::time_point when, const void* source) {
    timedAt_ = when;
    timedSource_ = source;
}

void ScheduledMidiSystem::endTimed() {
    timedAt_.reset();
}

void ScheduledMidiSystem::dropTimed(const void* source, Clock::time_point after) {
    hand({.kind = Kind::Drop, .when = after, .source = source});
    if (!threaded_) sendDue(lastNow_);
}

std::optional<std::string> ScheduledMidiSystem::report() {
    const uint64_t dropped = dropped_.load(std::memory_order_relaxed);
    const uint64_t refused = refused_.load(std::memory_order_relaxed);
    if (reported_ || dropped + refused == 0) return std::nullopt;
    reported_ = true;
    std::string text;
    if (dropped > 0)
        text = std::to_string(dropped) +
               " MIDI messages were not sent: the output could not keep up with them";
    if (refused > 0) {
        if (!text.empty()) text += "; ";
        text += std::to_string(refused) + " MIDI messages were refused by the output";
    }
    return text;
}

// The sending thread's side.

void ScheduledMidiSystem::run() {
    Clock::time_point now = Clock::now();
    while (!stopping_) {
        // Seen before looking, so that a message handed over from now on ends the wait.
        const uint32_t seen = wakeUp_.look();
        sendDue(now);
        if (stopping_) break;
        wait(Clock::now(), seen);
        now = Clock::now();
    }
}

void ScheduledMidiSystem::wait(Clock::time_point now, uint32_t seen) {
    // A full output is offered the rest again at its retry time, not before.
    std::optional<Clock::time_point> until = retryAt_;
    if (!until && delivering_ && !waiting_.empty()) until = waiting_.front().when;
    if (until && *until <= now) return;
    wakeUp_.wait(seen, until);
}

std::optional<ScheduledMidiSystem::Clock::time_point> ScheduledMidiSystem::sendDue(
    Clock::time_point now) {
    lastNow_ = std::max(lastNow_, now);
    while (auto command = ring_->pop()) {
        if (!take(*command, now)) return std::nullopt;
    }
    return deliverDue(now);
}

std::optional<ScheduledMidiSystem::Clock::time_point> ScheduledMidiSystem::deliverDue(
    Clock::time_point now) {
    retryAt_.reset();
    if (!delivering_) return std::nullopt;
    if (!flushOwed()) {
        retryAt_ = now + kRetry;
        return retryAt_;
    }
    while (!waiting_.empty() && waiting_.front().when <= now) {
        const Waiting next = waiting_.front();
        if (!deliver(next.message)) {
            retryAt_ = now + kRetry;
            return retryAt_;
        }
        std::pop_heap(waiting_.begin(), waiting_.end(), laterThan<Waiting, Waiting>);
        waiting_.pop_back();
    }
    if (waiting_.empty()) return std::nullopt;
    return waiting_.front().when;
}

bool ScheduledMidiSystem::take(const Command& command, Clock::time_point now) {
    switch (command.kind) {
        case Kind::Send:
            if (waiting_.size() == waiting_.capacity()) {
                // No room left to wait in: a note-off is kept all the same, nothing else.
                if (isNoteOff(command.message)) {
                    owe(command.message);
                } else {
                    dropped_.fetch_add(1, std::memory_order_relaxed);
                }
                break;
            }
            waiting_.push_back({command.timed ? command.when : Clock::time_point::min(), order_++,
                                command.message, command.source});
            std::push_heap(waiting_.begin(), waiting_.end(), laterThan<Waiting, Waiting>);
            break;
        case Kind::Drop: {
            // Its note-offs still leave, at once and after whatever was handed over before
            // them: a note they end may have started outside any timed stretch (the first
            // notes of a playback), or may not have left yet. The notes it started and had not
            // yet ended are the window's to end, so that a recording holds those note-offs too.
            const auto end = std::remove_if(waiting_.begin(), waiting_.end(), [&](Waiting& w) {
                if (w.source != command.source) return false;
                if (!isNoteOff(w.message)) return w.when > command.when;
                w.when = Clock::time_point::min();
                return false;
            });
            waiting_.erase(end, waiting_.end());
            std::make_heap(waiting_.begin(), waiting_.end(), laterThan<Waiting, Waiting>);
            break;
        }
        case Kind::Detach: {
            // What was handed over before the close, and is due, goes to the output it was
            // meant for.
            deliverDue(now);
            if (delivering_) {
                endAllNotes();
                // The output may be full: it gets a moment to take the last note-offs.
                const auto until = Clock::now() + kCloseGrace;
                while (!flushOwed() && Clock::now() < until)
                    std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
            owed_.reset();
            sounding_.reset();
            delivering_ = false;
            fencesDone_.fetch_add(1, std::memory_order_release);
            fencesDone_.notify_all();
            break;
        }
        case Kind::Pause:
            deliverDue(now);
            delivering_ = false;
            fencesDone_.fetch_add(1, std::memory_order_release);
            fencesDone_.notify_all();
            break;
        case Kind::Attach:
            delivering_ = true;
            dropStale(now);
            fencesDone_.fetch_add(1, std::memory_order_release);
            fencesDone_.notify_all();
            break;
        case Kind::Stop:
            stopping_ = true;
            return false;
    }
    return true;
}

void ScheduledMidiSystem::dropStale(Clock::time_point now) {
    if (now < Clock::time_point::min() + kStale) return;
    const auto end = std::remove_if(waiting_.begin(), waiting_.end(), [&](const Waiting& w) {
        return w.when != Clock::time_point::min() && w.when < now - kStale;
    });
    waiting_.erase(end, waiting_.end());
    std::make_heap(waiting_.begin(), waiting_.end(), laterThan<Waiting, Waiting>);
}

void ScheduledMidiSystem::owe(uint32_t message) {
    owed_.set(noteIndex(message));
}

void ScheduledMidiSystem::endAllNotes() {
    for (size_t i = 0; i < sounding_.size(); ++i) {
        if (sounding_.test(i)) owed_.set(i);
    }
}

bool ScheduledMidiSystem::flushOwed() {
    if (owed_.none()) return true;
    for (size_t i = 0; i < owed_.size(); ++i) {
        if (!owed_.test(i)) continue;
        const SendResult result = output_.trySend(noteOffFor(i));
        if (result == SendResult::Busy) return false;
        if (result == SendResult::Failed) refused_.fetch_add(1, std::memory_order_relaxed);
        owed_.reset(i);
        if (result == SendResult::Sent) sounding_.reset(i);
    }
    return true;
}

bool ScheduledMidiSystem::deliver(uint32_t message) {
    const SendResult result = output_.trySend(message);
    if (result == SendResult::Busy) return false;
    if (result == SendResult::Failed) {
        refused_.fetch_add(1, std::memory_order_relaxed);
        return true;
    }
    if (isNoteOn(message)) {
        sounding_.set(noteIndex(message));
    } else if (isNoteOff(message)) {
        sounding_.reset(noteIndex(message));
    } else if (endsChannelNotes(message)) {
        const size_t channel = message & 0x0F;
        for (size_t note = 0; note < 128; ++note) sounding_.reset(channel * 128 + note);
    }
    return true;
}

}  // namespace tonvel
