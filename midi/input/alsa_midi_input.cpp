#include "midi/input/alsa_midi_input.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <system_error>

#include "midi/input/input_messages.h"

namespace tonvel {

namespace {

unsigned key(snd_seq_addr_t address) {
    return static_cast<unsigned>(address.client) << 8 | address.port;
}

bool same(snd_seq_addr_t a, snd_seq_addr_t b) {
    return a.client == b.client && a.port == b.port;
}

}  // namespace

AlsaSourceKind alsaSourceKind(const AlsaPortInfo& port, snd_seq_addr_t self,
                              const std::string& programName) {
    constexpr unsigned kReadable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
    if (port.address.client == SND_SEQ_CLIENT_SYSTEM || port.address.client == self.client ||
        port.clientName == programName || (port.capability & kReadable) != kReadable ||
        (port.capability & SND_SEQ_PORT_CAP_NO_EXPORT) != 0)
        return AlsaSourceKind::None;
    // The kernel's loopback passes on whatever software sends it.
    if (port.clientName == "Midi Through") return AlsaSourceKind::Software;
    if ((port.type & SND_SEQ_PORT_TYPE_HARDWARE) != 0 ||
        ((port.type & SND_SEQ_PORT_TYPE_MIDI_GENERIC) != 0 && port.card >= 0))
        return AlsaSourceKind::Hardware;
    return AlsaSourceKind::Software;
}

AlsaMidiInput::AlsaMidiInput(std::unique_ptr<AlsaSequencer> seq, std::string programName,
                             const InputSignal& signal, uint16_t firstId, uint16_t lastId)
    : seq_(std::move(seq)),
      programName_(std::move(programName)),
      signal_(signal),
      firstId_(firstId),
      lastId_(lastId),
      nextId_(firstId) {}

AlsaMidiInput::~AlsaMidiInput() {
    if (reader_.joinable()) {
        stopping_ = true;
        const uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(stopFd_, &one, sizeof one);
        reader_.join();
    }
    if (stopFd_ >= 0) ::close(stopFd_);
}

std::vector<AlsaMidiInput::Listed> AlsaMidiInput::list() {
    std::vector<Listed> listed;
    const snd_seq_addr_t self = seq_->inputPort();
    const auto senders = seq_->senders();
    for (const auto& port : seq_->ports()) {
        const AlsaSourceKind kind = alsaSourceKind(port, self, programName_);
        if (kind == AlsaSourceKind::None) continue;
        std::string name = port.clientName + ":" + port.portName;
        // Two devices of one model: the second keeps a name of its own.
        const auto taken = [&](const std::string& candidate) {
            return std::any_of(listed.begin(), listed.end(),
                               [&](const Listed& l) { return l.source.name == candidate; });
        };
        for (int copy = 2; taken(name); ++copy)
            name = port.clientName + ":" + port.portName + " (" + std::to_string(copy) + ")";
        const bool connected = std::any_of(senders.begin(), senders.end(),
                                           [&](snd_seq_addr_t s) { return same(s, port.address); });
        listed.push_back({{name, kind == AlsaSourceKind::Hardware, connected}, port.address});
    }
    return listed;
}

std::vector<MidiSource> AlsaMidiInput::sources() {
    std::vector<MidiSource> sources;
    for (auto& listed : list()) sources.push_back(std::move(listed.source));
    return sources;
}

bool AlsaMidiInput::connect(const std::string& name, bool connected) {
    for (const auto& listed : list()) {
        if (listed.source.name != name) continue;
        if (listed.source.connected == connected) return true;
        return seq_->subscribe(listed.address, connected);
    }
    return false;
}

void AlsaMidiInput::takeEvents(std::vector<MidiInputEvent>& events) {
    while (const auto event = ring_.pop()) events.push_back(*event);
}

void AlsaMidiInput::pump() {
    snd_seq_event_t event{};
    while (seq_->nextEvent(event)) handle(event);
    if (emitted_) signal_.raise();
    emitted_ = false;
}

void AlsaMidiInput::hand(MidiInputEvent event) {
    // The reader may wait for the window: what is lost here could be a note-off.
    while (!ring_.push(event)) {
        if (stopping_) return;
        signal_.raise();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    emitted_ = true;
}

uint16_t AlsaMidiInput::idOf(snd_seq_addr_t address) {
    const auto [it, added] = ids_.try_emplace(key(address), nextId_);
    if (added) nextId_ = nextId_ == lastId_ ? firstId_ : static_cast<uint16_t>(nextId_ + 1);
    return it->second;
}

void AlsaMidiInput::gone(snd_seq_addr_t address) {
    const auto it = ids_.find(key(address));
    if (it == ids_.end()) return;
    hand({MidiInputEvent::Kind::SourceGone, it->second, 0});
    ids_.erase(it);
}

void AlsaMidiInput::goneClient(int client) {
    for (auto it = ids_.begin(); it != ids_.end();) {
        if (static_cast<int>(it->first >> 8) != client) {
            ++it;
            continue;
        }
        hand({MidiInputEvent::Kind::SourceGone, it->second, 0});
        it = ids_.erase(it);
    }
}

void AlsaMidiInput::handle(const snd_seq_event_t& event) {
    const snd_seq_addr_t self = seq_->inputPort();
    const MidiInputEvent changed{MidiInputEvent::Kind::SourcesChanged, 0, 0};
    switch (event.type) {
        case SND_SEQ_EVENT_CLIENT_START:
        case SND_SEQ_EVENT_CLIENT_CHANGE:
        case SND_SEQ_EVENT_PORT_START:
        case SND_SEQ_EVENT_PORT_CHANGE:
            if (event.data.addr.client != self.client) hand(changed);
            return;
        case SND_SEQ_EVENT_CLIENT_EXIT:
            goneClient(event.data.addr.client);
            hand(changed);
            return;
        case SND_SEQ_EVENT_PORT_EXIT:
            gone(event.data.addr);
            hand(changed);
            return;
        case SND_SEQ_EVENT_PORT_SUBSCRIBED:
            if (!same(event.data.connect.dest, self)) return;
            if (event.data.connect.sender.client != SND_SEQ_CLIENT_SYSTEM)
                idOf(event.data.connect.sender);
            hand(changed);
            return;
        case SND_SEQ_EVENT_PORT_UNSUBSCRIBED:
            if (!same(event.data.connect.dest, self)) return;
            gone(event.data.connect.sender);
            hand(changed);
            return;
        default:
            break;
    }
    uint32_t messages[4];
    const size_t count = channelMessagesFromEvent(event, messages);
    if (count == 0) return;
    const uint16_t id = idOf(event.source);
    for (size_t i = 0; i < count; ++i) hand({MidiInputEvent::Kind::Message, id, messages[i]});
}

void AlsaMidiInput::startReader() {
    if (reader_.joinable()) return;
    stopFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (stopFd_ < 0) return;
    try {
        reader_ = std::thread([this] { readLoop(); });
    } catch (const std::system_error&) {
    }
}

void AlsaMidiInput::readLoop() {
    auto fds = seq_->descriptors();
    fds.push_back({stopFd_, POLLIN, 0});
    while (!stopping_) {
        pump();
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return;
    }
}

}  // namespace tonvel
