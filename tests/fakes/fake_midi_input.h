#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "midi/midi_input.h"

namespace tonvel::testing {

// Sources plugged and unplugged by the test; events wait until the window polls, as they do
// in the platform's input.
class FakeMidiInput : public MidiInput {
  public:
    std::vector<MidiSource> sources() override { return sources_; }

    bool connect(const std::string& name, bool connected) override {
        connects.emplace_back(name, connected);
        const auto at = find(name);
        if (at < 0) return false;
        auto& source = sources_[static_cast<size_t>(at)];
        if (source.connected && !connected)
            push(MidiInputEvent::Kind::SourceGone, ids_[static_cast<size_t>(at)]);
        source.connected = connected;
        return true;
    }

    void poll(std::vector<MidiInputEvent>& events) override {
        events.insert(events.end(), pending_.begin(), pending_.end());
        pending_.clear();
    }

    void plug(const std::string& name, bool hardware) {
        sources_.push_back({name, hardware, false});
        ids_.push_back(nextId_++);
        push(MidiInputEvent::Kind::SourcesChanged, 0);
    }

    void unplug(const std::string& name) {
        const auto at = find(name);
        if (at < 0) return;
        const auto index = static_cast<size_t>(at);
        if (sources_[index].connected) push(MidiInputEvent::Kind::SourceGone, ids_[index]);
        sources_.erase(sources_.begin() + at);
        ids_.erase(ids_.begin() + at);
        push(MidiInputEvent::Kind::SourcesChanged, 0);
    }

    // A message from a connected source; false when it is not connected (nothing arrives).
    bool send(const std::string& name, uint32_t message) {
        const auto at = find(name);
        if (at < 0 || !sources_[static_cast<size_t>(at)].connected) return false;
        pending_.push_back({MidiInputEvent::Kind::Message, ids_[static_cast<size_t>(at)], message});
        return true;
    }

    bool isConnected(const std::string& name) const {
        const auto at = find(name);
        return at >= 0 && sources_[static_cast<size_t>(at)].connected;
    }

    std::vector<std::pair<std::string, bool>> connects;

  private:
    long find(const std::string& name) const {
        const auto it = std::find_if(sources_.begin(), sources_.end(),
                                     [&](const MidiSource& s) { return s.name == name; });
        return it == sources_.end() ? -1 : it - sources_.begin();
    }
    void push(MidiInputEvent::Kind kind, uint16_t source) { pending_.push_back({kind, source, 0}); }

    std::vector<MidiSource> sources_;
    std::vector<uint16_t> ids_;
    std::vector<MidiInputEvent> pending_;
    uint16_t nextId_ = 1;
};

}  // namespace tonvel::testing
