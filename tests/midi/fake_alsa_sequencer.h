#pragma once

#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

#include "midi/input/alsa_sequencer.h"

namespace tonvel::testing {

// The sequencer as a list of ports, the senders subscribed to our port, and the events that
// wait for us; subscribing tells of itself through the announce port, as the kernel does.
class FakeAlsaSequencer : public AlsaSequencer {
  public:
    struct State {
        std::vector<AlsaPortInfo> ports;
        std::vector<snd_seq_addr_t> senders;
        std::deque<snd_seq_event_t> events;
        bool refuse = false;
    };
    static constexpr snd_seq_addr_t kSelf{128, 0};

    explicit FakeAlsaSequencer(std::shared_ptr<State> state) : state_(std::move(state)) {}

    snd_seq_addr_t inputPort() const override { return kSelf; }
    std::vector<AlsaPortInfo> ports() override { return state_->ports; }
    std::vector<snd_seq_addr_t> senders() override { return state_->senders; }

    bool subscribe(snd_seq_addr_t sender, bool subscribed) override {
        if (state_->refuse) return false;
        auto& senders = state_->senders;
        const auto is = [&](snd_seq_addr_t a) {
            return a.client == sender.client && a.port == sender.port;
        };
        if (subscribed)
            senders.push_back(sender);
        else
            senders.erase(std::remove_if(senders.begin(), senders.end(), is), senders.end());
        state_->events.push_back(connection(
            subscribed ? SND_SEQ_EVENT_PORT_SUBSCRIBED : SND_SEQ_EVENT_PORT_UNSUBSCRIBED, sender));
        return true;
    }

    bool nextEvent(snd_seq_event_t& event) override {
        if (state_->events.empty()) return false;
        event = state_->events.front();
        state_->events.pop_front();
        return true;
    }

    std::vector<pollfd> descriptors() override { return {}; }

    // Events as the sequencer delivers them.
    static snd_seq_event_t announce(snd_seq_event_type_t type, snd_seq_addr_t address) {
        snd_seq_event_t event{};
        event.type = type;
        event.source = {SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE};
        event.data.addr = address;
        return event;
    }
    static snd_seq_event_t connection(snd_seq_event_type_t type, snd_seq_addr_t sender,
                                      snd_seq_addr_t dest = kSelf) {
        snd_seq_event_t event = announce(type, {});
        event.data.connect.sender = sender;
        event.data.connect.dest = dest;
        return event;
    }
    static snd_seq_event_t note(snd_seq_addr_t from, snd_seq_event_type_t type, unsigned char key,
                                unsigned char velocity, unsigned char channel = 0) {
        snd_seq_event_t event{};
        event.type = type;
        event.source = from;
        event.dest = kSelf;
        event.data.note.channel = channel;
        event.data.note.note = key;
        event.data.note.velocity = velocity;
        return event;
    }

  private:
    std::shared_ptr<State> state_;
};

}  // namespace tonvel::testing
