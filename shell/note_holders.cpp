#include "shell/note_holders.h"

#include <algorithm>

namespace tonvel {

namespace {
constexpr int kPedalChannel = 0;
constexpr int kSustain = 64, kSostenuto = 66, kHold2 = 69, kResetAllControllers = 121;
constexpr int kBendCentre = 0x40;
bool fits(int channel, int note) {
    return channel >= 0 && channel <= 15 && note >= 0 && note <= 127;
}
}  // namespace

bool NoteHolders::press(Hand hand, int channel, int note, int velocity) {
    if (!fits(channel, note)) return false;
    const auto c = static_cast<uint8_t>(channel), n = static_cast<uint8_t>(note);
    const auto mine = std::find_if(holds_.begin(), holds_.end(), [&](const Hold& h) {
        return h.channel == c && h.note == n && h.hand == hand;
    });
    if (mine != holds_.end() && !mine->silenced) return true;
    if (!sounding(channel, note) && !out_.noteOn(channel, note, velocity)) return false;
    if (mine != holds_.end()) {
        mine->silenced = false;
    } else {
        holds_.push_back({hand, c, n});
    }
    if (onPress) onPress(channel, note);
    return true;
}

// A silenced note whose last hand lets go still gets its note-off: it costs nothing where the
// close ended it, and ends it on an output that kept it.
void NoteHolders::release(Hand hand, int channel, int note, bool unheldEndsToo) {
    if (!fits(channel, note)) return;
    const auto c = static_cast<uint8_t>(channel), n = static_cast<uint8_t>(note);
    const auto mine = std::find_if(holds_.begin(), holds_.end(), [&](const Hold& h) {
        return h.hand == hand && h.channel == c && h.note == n;
    });
    if (mine == holds_.end()) {
        if (unheldEndsToo && !sounding(channel, note)) out_.noteOff(channel, note);
        return;
    }
    const bool wasSounding = !mine->silenced;
    holds_.erase(mine);
    if (sounding(channel, note)) return;
    if (wasSounding || !held(channel, note)) out_.noteOff(channel, note);
}

void NoteHolders::releaseHand(Hand hand) {
    std::vector<Hold> let;
    for (const Hold& h : holds_)
        if (h.hand == hand) let.push_back(h);
    for (const Hold& h : let) release(hand, h.channel, h.note);
}

void NoteHolders::releaseKind(Hand::Kind kind) {
    std::vector<Hold> let;
    for (const Hold& h : holds_)
        if (h.hand.kind == kind) let.push_back(h);
    for (const Hold& h : let) release(h.hand, h.channel, h.note);
}

void NoteHolders::outputClosed() {
    for (Hold& h : holds_) h.silenced = true;
}

void NoteHolders::pedal(Hand hand, bool down) {
    const auto at = std::find(pedalHands_.begin(), pedalHands_.end(), hand);
    if (down == (at != pedalHands_.end())) return;
    if (down) {
        pedalHands_.push_back(hand);
        if (pedalHands_.size() == 1) sendPedal(true);
    } else {
        pedalHands_.erase(at);
        if (!pedalHands_.empty()) return;
        sendPedal(false);
        if (resetOwed_)
            out_.sendMessage(packMessage(0xB0 | kPedalChannel, kResetAllControllers, 0));
        resetOwed_ = false;
    }
}

void NoteHolders::restatePedal() {
    if (pedalDown()) sendPedal(true);
}

void NoteHolders::movedControls(Hand hand, int channel) {
    if (channel < 0 || channel > 15) return;
    const auto bit = static_cast<uint16_t>(1u << channel);
    const auto at =
        std::find_if(moved_.begin(), moved_.end(), [&](const Moved& m) { return m.hand == hand; });
    if (at == moved_.end()) {
        moved_.push_back({hand, bit});
    } else {
        at->channels |= bit;
    }
}

void NoteHolders::letGo(Hand hand) {
    releaseHand(hand);
    pedal(hand, false);
    const auto at =
        std::find_if(moved_.begin(), moved_.end(), [&](const Moved& m) { return m.hand == hand; });
    if (at == moved_.end()) return;
    const uint16_t channels = at->channels;
    moved_.erase(at);
    resetControls(channels);
}

void NoteHolders::letGoKind(Hand::Kind kind) {
    std::vector<Hand> hands;
    const auto add = [&](Hand h) {
        if (h.kind == kind && std::find(hands.begin(), hands.end(), h) == hands.end())
            hands.push_back(h);
    };
    for (const Hold& h : holds_) add(h.hand);
    for (const Hand& h : pedalHands_) add(h);
    for (const Moved& m : moved_) add(m.hand);
    for (const Hand& h : hands) letGo(h);
}

// Pedals up and the bend centred one by one, for outputs that ignore a reset of all
// controllers; the reset then puts back the rest (wheels, pressure, expression).
void NoteHolders::resetControls(uint16_t channels) {
    for (int channel = 0; channel < 16; ++channel) {
        if (!(channels & (1u << channel))) continue;
        const int cc = 0xB0 | channel;
        out_.sendMessage(packMessage(cc, kSostenuto, 0));
        out_.sendMessage(packMessage(cc, kHold2, 0));
        out_.sendMessage(packMessage(0xE0 | channel, 0, kBendCentre));
        if (channel == kPedalChannel && pedalDown()) {
            resetOwed_ = true;
            continue;
        }
        out_.sendMessage(packMessage(cc, kSustain, 0));
        out_.sendMessage(packMessage(cc, kResetAllControllers, 0));
    }
}

bool NoteHolders::held(int channel, int note) const {
    return std::any_of(holds_.begin(), holds_.end(),
                       [&](const Hold& h) { return h.channel == channel && h.note == note; });
}

bool NoteHolders::sounding(int channel, int note) const {
    return std::any_of(holds_.begin(), holds_.end(), [&](const Hold& h) {
        return h.channel == channel && h.note == note && !h.silenced;
    });
}

bool NoteHolders::anySounding() const {
    return std::any_of(holds_.begin(), holds_.end(), [](const Hold& h) { return !h.silenced; });
}

bool NoteHolders::heldBesidesKeys(int channel, int note) const {
    return std::any_of(holds_.begin(), holds_.end(), [&](const Hold& h) {
        return h.channel == channel && h.note == note && h.hand.kind != Hand::Kind::Keys;
    });
}

void NoteHolders::sendPedal(bool down) {
    out_.sendMessage(packMessage(0xB0, kSustain, down ? 127 : 0));
}

}  // namespace tonvel
