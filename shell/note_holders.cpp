#include "shell/note_holders.h"

#include <algorithm>

namespace tonvel {

namespace {
constexpr int kSustain = 64;
bool fits(int channel, int note) {
    return channel >= 0 && channel <= 15 && note >= 0 && note <= 127;
}
}  // namespace

bool NoteHolders::press(Hand hand, int channel, int note, int velocity) {
    if (!fits(channel, note)) return false;
    const auto c = static_cast<uint8_t>(channel), n = static_cast<uint8_t>(note);
    const auto same = [&](const Hold& h) { return h.channel == c && h.note == n; };
    if (std::any_of(holds_.begin(), holds_.end(),
                    [&](const Hold& h) { return same(h) && h.hand == hand; }))
        return true;
    const bool alreadySounding = std::any_of(holds_.begin(), holds_.end(), same);
    if (!alreadySounding && !out_.noteOn(channel, note, velocity)) return false;
    holds_.push_back({hand, c, n});
    if (onPress) onPress(channel, note);
    return true;
}

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
    holds_.erase(mine);
    if (!sounding(channel, note)) out_.noteOff(channel, note);
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

void NoteHolders::pedal(Hand hand, bool down) {
    const auto at = std::find(pedalHands_.begin(), pedalHands_.end(), hand);
    if (down == (at != pedalHands_.end())) return;
    if (down) {
        pedalHands_.push_back(hand);
        if (pedalHands_.size() == 1) sendPedal(true);
    } else {
        pedalHands_.erase(at);
        if (pedalHands_.empty()) sendPedal(false);
    }
}

void NoteHolders::liftPedalKind(Hand::Kind kind) {
    std::vector<Hand> let;
    for (const Hand& h : pedalHands_)
        if (h.kind == kind) let.push_back(h);
    for (const Hand& h : let) pedal(h, false);
}

void NoteHolders::restatePedal() {
    if (pedalDown()) sendPedal(true);
}

bool NoteHolders::sounding(int channel, int note) const {
    return std::any_of(holds_.begin(), holds_.end(),
                       [&](const Hold& h) { return h.channel == channel && h.note == note; });
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
