// The sending thread's rules driven by hand over long random lists of commands: sends, timed
// sends from three timers, stops with their own times, pauses longer than a note stays fresh,
// a full output, a full waiting room and closes. Every ordering promise is checked on what the
// output took.
#include "midi/sender/send_order.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>
#include <set>

namespace tonvel {
namespace {

using namespace std::chrono_literals;
using TimePoint = SendOrder::TimePoint;
using Command = SendOrder::Command;
using Kind = Command::Kind;

// One message handed over. Each note message carries a tag in its velocity, unique per note,
// so that what leaves is known by what was handed; a note-off the rules make up has none.
struct Handed {
    size_t step;
    uint32_t message;
    TimePoint due;
    int source;              // 0..2 a timer, 3 a message sent at once
    bool forgotten = false;  // a stop may forget it
};

struct Left {
    size_t step;
    uint32_t message;
    TimePoint at;
    int device;
    TimePoint due;  // as offered to the output
};

int indexOf(uint32_t message) {
    return static_cast<int>((message & 0x0F) * 128 + ((message >> 8) & 0x7F));
}
bool noteOn(uint32_t m) {
    return (m & 0xF0) == 0x90;
}
bool noteOff(uint32_t m) {
    return (m & 0xF0) == 0x80;
}
int tag(uint32_t m) {
    return static_cast<int>((m >> 16) & 0x7F);
}

class RandomRun {
  public:
    explicit RandomRun(unsigned seed)
        : random_(seed), room_(pick(3) == 0 ? 48 : 4096), order_(room_) {}

    void play(int steps) {
        order_.take({.kind = Kind::Resume, .at = t_});
        for (step_ = 0; step_ < static_cast<size_t>(steps); ++step_) {
            switch (pick(12)) {
                case 0:
                case 1:
                case 2:
                    timedNote(pick(3));
                    break;
                case 3:
                    keyNote();
                    break;
                case 4:
                    stop(pick(3));
                    break;
                case 5:
                    busy_ = pick(25);
                    break;
                case 6:
                    if (pick(6) == 0) pause();
                    break;
                case 7:
                    if (pick(8) == 0) close();
                    break;
                default:
                    t_ += std::chrono::microseconds(pick(6000));
                    pump();
                    break;
            }
        }
        // As at the exit: the timers stop, the window ends what they and the keys still hold;
        // then everything has all the time it needs.
        for (int s = 0; s < 3; ++s) stop(s);
        for (int s = 0; s < 4; ++s) endHeld(s);
        busy_ = 0;
        t_ += 2s;
        pump();
        close();
    }

    void check(unsigned seed) {
        std::map<std::pair<int, int>, size_t> leftAt;  // (index, tag) of a note message -> place
        for (size_t i = 0; i < left_.size(); ++i) {
            const uint32_t m = left_[i].message;
            if ((noteOn(m) || noteOff(m)) && tag(m) != 0) {
                ASSERT_TRUE(
                    leftAt.emplace(std::pair{indexOf(m), tag(m) + (noteOff(m) ? 128 : 0)}, i)
                        .second)
                    << "seed " << seed << ": left twice";
            }
        }
        const auto place = [&](const Handed& h) -> std::optional<size_t> {
            const auto it =
                leftAt.find({indexOf(h.message), tag(h.message) + (noteOff(h.message) ? 128 : 0)});
            if (it == leftAt.end()) return std::nullopt;
            return it->second;
        };
        for (size_t i = 0; i < handed_.size(); ++i) {
            const Handed& h = handed_[i];
            const auto at = place(h);
            if (noteOff(h.message)) {
                // No note-off is ever lost: it left, or a note-off the rules made up for that note
                // left after it was handed.
                bool ended = at.has_value();
                for (size_t j = 0; !ended && j < left_.size(); ++j)
                    ended = left_[j].step >= h.step && noteOff(left_[j].message) &&
                            tag(left_[j].message) == 0 &&
                            indexOf(left_[j].message) == indexOf(h.message);
                EXPECT_TRUE(ended) << "seed " << seed << ": note-off of step " << h.step << " lost";
                continue;
            }
            if (h.forgotten) {
                EXPECT_FALSE(at) << "seed " << seed << ": step " << h.step
                                 << " left after its stop";
            }
            if (!at) continue;
            EXPECT_GE(left_[*at].at, h.due) << "seed " << seed << ": step " << h.step << " early";
            // The output is told the time the message was due: a timer's own, a key's no earlier
            // than its press (a stop may hold it back), never later than it left.
            const TimePoint told = left_[*at].due;
            if (h.source < 3) {
                EXPECT_EQ(told, h.due) << "seed " << seed << ": step " << h.step;
            } else {
                EXPECT_GE(told, h.due) << "seed " << seed << ": step " << h.step;
            }
            EXPECT_LE(told, left_[*at].at) << "seed " << seed << ": step " << h.step;
            // The note-off that ends this note-on is the next one of its note handed after it.
            for (size_t j = i + 1; j < handed_.size(); ++j) {
                if (!noteOff(handed_[j].message) ||
                    indexOf(handed_[j].message) != indexOf(h.message))
                    continue;
                if (const auto off = place(handed_[j])) {
                    EXPECT_LT(*at, *off) << "seed " << seed << ": note-on of step " << h.step
                                         << " after the note-off of step " << handed_[j].step;
                }
                break;
            }
        }
        // Only a full waiting room drops anything, and never a note-off.
        if (room_ > 1000) {
            EXPECT_EQ(order_.dropped(), 0U) << "seed " << seed;
        }
    }

  private:
    int pick(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

    void hand(uint32_t message, TimePoint due, int source, bool timed) {
        handed_.push_back({step_, message, due, source});
        order_.take({.kind = Kind::Send,
                     .message = message,
                     .due = due,
                     .at = t_,
                     .source = timed ? &sources_[source] : nullptr});
    }

    uint32_t tagged(int status, int note) {
        const int next = ++tags_[{status & 0x0F, note}] % 127 + 1;
        return packMessage(status, note, next);
    }

    // Each timer plays notes on a channel of its own, its due times never going back.
    void timedNote(int s) {
        auto& due = lastDue_[s];
        due = std::max(due, t_ + std::chrono::microseconds(pick(15000)));
        auto& open = held_[s];
        if (!open.empty() && pick(2)) {
            const int note = *open.begin();
            open.erase(open.begin());
            hand(tagged(0x80 + s, note), due, s, true);
        } else if (pick(8) == 0) {
            hand(packMessage(0xB0 + s, 1, pick(128)), due, s, true);
        } else {
            const int note = 40 + pick(40);
            if (open.insert(note).second) hand(tagged(0x90 + s, note), due, s, true);
        }
    }

    void keyNote() {
        auto& open = held_[3];
        const int note = 40 + pick(20);
        if (open.erase(note)) {
            hand(tagged(0x83, note), t_, 3, false);
        } else {
            open.insert(note);
            hand(tagged(0x93, note), t_, 3, false);
        }
    }

    // A stop: as the window does, it may end at once the notes the timer started.
    void stop(int s) {
        const TimePoint after = t_ - 10ms + std::chrono::microseconds(pick(30000));
        for (auto& h : handed_)
            if (h.source == s && h.due > after && noteOn(h.message) &&
                !leftNotes_.contains({indexOf(h.message), tag(h.message)}))
                h.forgotten = true;
        order_.take({.kind = Kind::Stop, .due = after, .at = t_, .source = &sources_[s]});
        lastDue_[s] = std::max(t_, after);
        if (pick(2)) endHeld(s);
    }

    void endHeld(int s) {
        for (int note : held_[s]) hand(tagged(0x80 + s, note), t_, s, false);
        held_[s].clear();
    }

    void settle(Kind kind) {
        order_.take({.kind = kind, .at = t_});
        while (!order_.settled()) {
            pump();
            t_ += SendOrder::kRetry;
        }
    }

    void pause() {
        settle(Kind::Pause);
        t_ += std::chrono::milliseconds(pick(400));
        order_.take({.kind = Kind::Resume, .at = t_});
    }

    void close() {
        settle(Kind::Close);
        for (const auto& [index, count] : sounding_)
            EXPECT_EQ(count, 0) << "note " << index << " sounds on device " << device_
                                << " after its close";
        sounding_.clear();
        ++device_;
        order_.take({.kind = Kind::Resume, .at = t_});
    }

    void pump() {
        while (auto message = order_.next(t_)) {
            if (busy_ > 0) {
                --busy_;
                order_.result(SendResult::Busy);
                continue;
            }
            left_.push_back({step_, *message, t_, device_, order_.offeredDue()});
            if (noteOn(*message)) {
                sounding_[indexOf(*message)] = 1;
                leftNotes_.insert({indexOf(*message), tag(*message)});
            }
            if (noteOff(*message)) sounding_[indexOf(*message)] = 0;
            order_.result(SendResult::Sent);
        }
    }

    std::mt19937 random_;
    size_t room_;
    SendOrder order_;
    std::set<std::pair<int, int>> leftNotes_;
    std::array<int, 3> sources_{};
    std::array<TimePoint, 3> lastDue_{};
    std::array<std::set<int>, 4> held_;
    std::map<std::pair<int, int>, int> tags_;
    std::map<int, int> sounding_;
    std::vector<Handed> handed_;
    std::vector<Left> left_;
    TimePoint t_ = TimePoint{} + 1h;
    size_t step_ = 0;
    int busy_ = 0;
    int device_ = 0;
};

TEST(SendOrderProperty, EveryOrderingPromiseHoldsWhateverTheCommands) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        RandomRun run(seed);
        run.play(600);
        run.check(seed);
        if (testing::Test::HasFailure()) return;
    }
}

}  // namespace
}  // namespace tonvel
