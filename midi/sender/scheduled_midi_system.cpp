#include "midi/sender/scheduled_midi_system.h"

#include <algorithm>

#include "midi/realtime/realtime_thread.h"

namespace tonvel {

namespace {

// Low among real-time threads: above the desktop, below the audio and JACK threads.
constexpr int kSenderPriority = 10;

bool isNoteOff(uint32_t message) {
    return (message & 0xF0) == 0x80 || ((message & 0xF0) == 0x90 && ((message >> 16) & 0x7F) == 0);
}

}  // namespace

ScheduledMidiSystem::ScheduledMidiSystem(MidiSystem& output) : ScheduledMidiSystem(output, true) {}

ScheduledMidiSystem::ScheduledMidiSystem(MidiSystem& output, bool startThread)
    : output_(output), threaded_(startThread) {
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
    quit_.store(true, std::memory_order_release);
    wakeUp_.wake();
    sender_.join();
}

// The window's thread's side.

void ScheduledMidiSystem::hand(const Command& command) {
    // A note-off never gives way, nor does anything but a message.
    const bool mayGiveWay = command.kind == Command::Kind::Send && !isNoteOff(command.message);
    // The ring holds some 16,000 commands; it fills only while the sending thread gets no time
    // at all, so the window waits for it a little before anything gives.
    for (int tries = 0; !ring_->push(command); ++tries) {
        if (!threaded_) {
            sendDue(lastNow_);
            continue;
        }
        wakeUp_.wake();
        if (mayGiveWay && tries > 200) {
            ++handDropped_;
            return;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    wakeUp_.wake();
}

void ScheduledMidiSystem::fence(Command::Kind kind) {
    const uint64_t id = ++fencesHanded_;
    hand({.kind = kind, .at = Clock::now()});
    if (!threaded_) {
        // No thread to wait for: the time a full output is given runs out as it would.
        auto now = std::max(lastNow_, Clock::now());
        while (fencesDone_.load(std::memory_order_acquire) < id) {
            const auto next = sendDue(now);
            now = std::max(now + SendOrder::kRetry, next.value_or(now));
        }
        return;
    }
    for (;;) {
        const uint32_t seen = fenceDone_.look();
        if (fencesDone_.load(std::memory_order_acquire) >= id) return;
        fenceDone_.wait(seen, std::nullopt);
    }
}

std::vector<std::string> ScheduledMidiSystem::outputNames() {
    // Listing asks the same MIDI clients that send: not while the thread sends.
    if (outputOpen_) fence(Command::Kind::Pause);
    auto names = output_.outputNames();
    if (outputOpen_) fence(Command::Kind::Resume);
    return names;
}

bool ScheduledMidiSystem::open(int deviceNumber) {
    close();
    outputOpen_ = output_.open(deviceNumber);
    if (outputOpen_) fence(Command::Kind::Resume);
    return outputOpen_;
}

void ScheduledMidiSystem::close() {
    // The thread ends what sounds and stops sending before the output goes, which may load or
    // connect: slow work it never waits on.
    fence(Command::Kind::Close);
    outputOpen_ = false;
    output_.close();
}

bool ScheduledMidiSystem::sendShortMessage(uint32_t message) {
    if (!outputOpen_) return false;
    const auto now = Clock::now();
    Command command{.kind = Command::Kind::Send, .message = message, .due = now, .at = now};
    if (timedAt_) {
        command.due = *timedAt_;
        command.source = timedSource_;
    }
    hand(command);
    if (!threaded_ && !timedAt_) sendDue(lastNow_);
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
    hand({.kind = Command::Kind::Stop, .due = after, .at = Clock::now(), .source = source});
    if (!threaded_) sendDue(lastNow_);
}

std::optional<std::string> ScheduledMidiSystem::report() {
    const uint64_t dropped = dropped_.load(std::memory_order_relaxed) + handDropped_;
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
    while (!quit_.load(std::memory_order_acquire)) {
        // Seen before looking, so that a command handed over from now on ends the wait.
        const uint32_t seen = wakeUp_.look();
        pump(Clock::now());
        wakeUp_.wait(seen, order_.wakeAt());
    }
}

void ScheduledMidiSystem::pump(Clock::time_point now) {
    while (auto command = ring_->pop()) {
        order_.take(*command);
        const auto kind = command->kind;
        if (kind == Command::Kind::Pause || kind == Command::Kind::Resume ||
            kind == Command::Kind::Close)
            ++fencesTaken_;
    }
    while (auto message = order_.next(now))
        order_.result(output_.trySendAt(*message, order_.offeredDue()));
    dropped_.store(order_.dropped(), std::memory_order_relaxed);
    refused_.store(order_.refused(), std::memory_order_relaxed);
    if (order_.settled() && fencesDone_.load(std::memory_order_relaxed) != fencesTaken_) {
        fencesDone_.store(fencesTaken_, std::memory_order_release);
        fenceDone_.wake();
    }
}

std::optional<ScheduledMidiSystem::Clock::time_point> ScheduledMidiSystem::sendDue(
    Clock::time_point now) {
    lastNow_ = std::max(lastNow_, now);
    pump(lastNow_);
    return order_.wakeAt();
}

}  // namespace tonvel
