#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "midi/midi_out.h"

namespace tonvel {

// Whatever can hold a note down: a key of the computer keyboard (id: its key code), the mouse,
// a finger on the screen (id: the touch point), a MIDI source (id: the source's).
struct Hand {
    enum class Kind : uint8_t { Keys, Mouse, Touch, MidiIn };
    Kind kind = Kind::Keys;
    int id = 0;
    bool operator==(const Hand&) const = default;
};

// Who holds each note and the sustain pedal. A note sounds once however many hands hold it and
// ends when the last hand sounding it lets go; the pedal is down while any hand holds it. Every
// edge (a lost focus, a popup, a device change, an unplugged keyboard, the exit) lets go of
// exactly the hands it must, so nothing sounds once every hand is up and the pedal is lifted.
class NoteHolders {
  public:
    explicit NoteHolders(MidiOut& out) : out_(out) {}

    // False when the note does not sound: the output refused it, or a value is out of range.
    bool press(Hand hand, int channel, int note, int velocity);
    // Nothing is sent while another hand still sounds the note. A hand that does not hold it
    // sends a note-off when `unheldEndsToo` (the computer keyboard always ends what it names).
    void release(Hand hand, int channel, int note, bool unheldEndsToo = false);
    void releaseHand(Hand hand);
    void releaseKind(Hand::Kind kind);
    // The output was closed and opened again: it ended every note it played. The hands still
    // hold theirs, now silent, so another hand on one of them strikes it again.
    void outputClosed();

    void pedal(Hand hand, bool down);
    void liftPedal(Hand hand) { pedal(hand, false); }
    // Down again after the output was closed and opened: it forgot the pedal.
    void restatePedal();
    bool pedalDown() const { return !pedalHands_.empty(); }

    // A hand moved controllers of `channel` (a wheel, a pedal, pressure): when it lets go, the
    // channel's controllers go back to rest.
    void movedControls(Hand hand, int channel);
    // Everything the hand holds: its notes, the pedal, and the controllers it moved.
    void letGo(Hand hand);
    void letGoKind(Hand::Kind kind);

    bool sounding(int channel, int note) const;
    // Held by some hand other than the computer keyboard's keys.
    bool heldBesidesKeys(int channel, int note) const;
    bool anySounding() const;

    // Told of every note a hand starts to hold, after its note-on left.
    std::function<void(int channel, int note)> onPress;

  private:
    struct Hold {
        Hand hand;
        uint8_t channel;
        uint8_t note;
        bool silenced = false;
    };
    struct Moved {
        Hand hand;
        uint16_t channels;
    };
    bool held(int channel, int note) const;
    void sendPedal(bool down);
    void resetControls(uint16_t channels);

    MidiOut& out_;
    std::vector<Hold> holds_;
    std::vector<Hand> pedalHands_;
    std::vector<Moved> moved_;
    // The pedal's channel waits for its reset while another hand holds the pedal: the reset
    // would lift it under that hand's sustained notes.
    bool resetOwed_ = false;
};

}  // namespace tonvel
