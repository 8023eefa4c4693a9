#include "midi/backends/scheduled_midi_system.h"

#include <vector>

#include "midi/backends/realtime_thread.h"

namespace tonvel {

namespace {

// Low among real-time threads: above the desktop, below the audio and JACK threads.
constexpr int kSenderPriority = 10;

}  // namespace

ScheduledMidiSystem::ScheduledMidiSystem(MidiSystem& output) : ScheduledMidiSystem(output, true) {}

ScheduledMidiSystem::ScheduledMidiSystem(MidiSystem& output, bool startThread) : output_(output) {
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
    {
        std::lock_guard lock(queueLock_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (sender_.joinable()) sender_.join();
}

std::vector<std::string> ScheduledMidiSystem::outputNames() {
    std::lock_guard lock(outputLock_);
    return output_.outputNames();
}

bool ScheduledMidiSystem::open(int deviceNumber) {
    std::lock_guard lock(outputLock_);
    return output_.open(deviceNumber);
}

void ScheduledMidiSystem::close() {
    std::lock_guard lock(outputLock_);
    output_.close();
}

bool ScheduledMidiSystem::sendShortMessage(uint32_t message) {
    {
        std::lock_guard lock(queueLock_);
        if (timedAt_) {
            pending_.emplace(*timedAt_, Waiting{message, timedSource_});
            changed_.notify_all();
            return true;
        }
    }
    std::lock_guard lock(outputLock_);
    return output_.sendShortMessage(message);
}

void ScheduledMidiSystem::beginTimed(Clock::time_point when, const void* source) {
    std::lock_guard lock(queueLock_);
    timedAt_ = when;
    timedSource_ = source;
}

void ScheduledMidiSystem::endTimed() {
    std::lock_guard lock(queueLock_);
    timedAt_.reset();
}

void ScheduledMidiSystem::dropTimed(const void* source) {
    std::lock_guard lock(queueLock_);
    std::erase_if(pending_, [source](const auto& entry) { return entry.second.source == source; });
}

std::optional<ScheduledMidiSystem::Clock::time_point> ScheduledMidiSystem::sendDue(
    Clock::time_point now) {
    std::vector<uint32_t> due;
    std::optional<Clock::time_point> next;
    {
        std::lock_guard lock(queueLock_);
        const auto end = pending_.upper_bound(now);
        for (auto it = pending_.begin(); it != end; ++it) due.push_back(it->second.message);
        pending_.erase(pending_.begin(), end);
        if (!pending_.empty()) next = pending_.begin()->first;
    }
    if (!due.empty()) {
        std::lock_guard lock(outputLock_);
        for (uint32_t message : due) output_.sendShortMessage(message);
    }
    return next;
}

void ScheduledMidiSystem::run() {
    std::unique_lock lock(queueLock_);
    while (!stopping_) {
        if (pending_.empty()) {
            changed_.wait(lock);
            continue;
        }
        const auto when = pending_.begin()->first;
        if (Clock::now() < when) {
            changed_.wait_until(lock, when);
            continue;
        }
        lock.unlock();
        sendDue(Clock::now());
        lock.lock();
    }
}

}  // namespace tonvel
