#include "midi/input/alsa_midi_input.h"

#include <gtest/gtest.h>

#include "fake_alsa_sequencer.h"
#include "input_event_compare.h"

namespace tonvel {
namespace {

using testing::FakeAlsaSequencer;
using Kind = MidiInputEvent::Kind;

constexpr snd_seq_addr_t kKeyboard{20, 0};
constexpr snd_seq_addr_t kSynthPad{20, 1};
constexpr snd_seq_addr_t kSoftware{129, 0};
constexpr unsigned kReadable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
constexpr unsigned kGeneric = SND_SEQ_PORT_TYPE_MIDI_GENERIC;
constexpr unsigned kHardware = kGeneric | SND_SEQ_PORT_TYPE_HARDWARE | SND_SEQ_PORT_TYPE_PORT;
constexpr unsigned kApplication = kGeneric | SND_SEQ_PORT_TYPE_APPLICATION;

class AlsaInput : public ::testing::Test {
  protected:
    void SetUp() override {
        state->ports = {
            {kKeyboard, "USB Keys", "USB Keys MIDI 1", kReadable, kHardware, 1},
            {kSynthPad, "USB Keys", "USB Keys MIDI 2", kReadable, kHardware, 1},
            {kSoftware, "Sequencer", "out", kReadable, kApplication, -1},
        };
    }

    std::vector<MidiInputEvent> take() {
        input.pump();
        std::vector<MidiInputEvent> events;
        input.takeEvents(events);
        return events;
    }

    void queue(const snd_seq_event_t& event) { state->events.push_back(event); }

    std::shared_ptr<FakeAlsaSequencer::State> state = std::make_shared<FakeAlsaSequencer::State>();
    InputSignal signal;
    AlsaMidiInput input{std::make_unique<FakeAlsaSequencer>(state), "Tonvel", signal};
};

TEST(AlsaSourceKinds, HardwareIsTheHardwareTypeOrAGenericPortOfACard) {
    const snd_seq_addr_t self{128, 0};
    const struct {
        AlsaPortInfo port;
        AlsaSourceKind kind;
    } cases[] = {
        {{{20, 0}, "USB Keys", "MIDI 1", kReadable, kHardware, 1}, AlsaSourceKind::Hardware},
        {{{20, 0}, "USB Keys", "MIDI 1", kReadable, SND_SEQ_PORT_TYPE_HARDWARE, -1},
         AlsaSourceKind::Hardware},
        {{{24, 0}, "Card Synth", "MIDI", kReadable, kGeneric, 2}, AlsaSourceKind::Hardware},
        {{{14, 0}, "Midi Through", "Midi Through Port-0", kReadable, kGeneric, -1},
         AlsaSourceKind::Software},
        {{{14, 0}, "Midi Through", "Midi Through Port-0", kReadable, kHardware, 0},
         AlsaSourceKind::Software},
        {{{129, 0}, "Sequencer", "out", kReadable, kApplication, -1}, AlsaSourceKind::Software},
        {{{129, 0}, "Sequencer", "out", kReadable, SND_SEQ_PORT_TYPE_APPLICATION, 3},
         AlsaSourceKind::Software},
        // Ours, the system's, and ports nobody may read from.
        {{{128, 1}, "Other", "x", kReadable, kApplication, -1}, AlsaSourceKind::None},
        {{{130, 0}, "Tonvel", "Output", kReadable, kApplication, -1}, AlsaSourceKind::None},
        {{{0, 1}, "System", "Announce", kReadable, 0, -1}, AlsaSourceKind::None},
        {{{20, 1}, "USB Keys", "in", SND_SEQ_PORT_CAP_WRITE, kHardware, 1}, AlsaSourceKind::None},
        {{{20, 2}, "USB Keys", "x", SND_SEQ_PORT_CAP_READ, kHardware, 1}, AlsaSourceKind::None},
        {{{20, 3}, "USB Keys", "x", kReadable | SND_SEQ_PORT_CAP_NO_EXPORT, kHardware, 1},
         AlsaSourceKind::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(alsaSourceKind(c.port, self, "Tonvel"), c.kind)
            << c.port.clientName << " " << c.port.portName;
}

TEST_F(AlsaInput, SourcesAreNamedByClientAndPortAndTellWhetherTheySendToUs) {
    state->ports.push_back({{130, 0}, "Tonvel", "Output", kReadable, kApplication, -1});
    state->ports.push_back({{21, 0}, "USB Keys", "USB Keys MIDI 1", kReadable, kHardware, 2});
    state->senders = {{0, 1}, kSoftware};
    const auto sources = input.sources();
    ASSERT_EQ(sources.size(), 4U);
    const struct {
        std::string name;
        bool hardware, connected;
    } expected[] = {{"USB Keys:USB Keys MIDI 1", true, false},
                    {"USB Keys:USB Keys MIDI 2", true, false},
                    {"Sequencer:out", false, true},
                    {"USB Keys:USB Keys MIDI 1 (2)", true, false}};
    for (size_t i = 0; i < sources.size(); ++i) {
        EXPECT_EQ(sources[i].name, expected[i].name);
        EXPECT_EQ(sources[i].hardware, expected[i].hardware) << sources[i].name;
        EXPECT_EQ(sources[i].connected, expected[i].connected) << sources[i].name;
    }
}

TEST_F(AlsaInput, ConnectSubscribesByNameAndTellsWhatIsGone) {
    EXPECT_TRUE(input.connect("USB Keys:USB Keys MIDI 2", true));
    EXPECT_TRUE(input.sources()[1].connected);
    EXPECT_FALSE(input.connect("Nobody:out", true));
    state->refuse = true;
    EXPECT_FALSE(input.connect("Sequencer:out", true));
    state->refuse = false;
    EXPECT_TRUE(input.connect("USB Keys:USB Keys MIDI 2", false));
    EXPECT_FALSE(input.sources()[1].connected);
}

TEST_F(AlsaInput, AnnouncementsOfOthersTellThatSourcesChanged) {
    const MidiInputEvent changed{Kind::SourcesChanged, 0, 0};
    for (const auto type :
         {SND_SEQ_EVENT_CLIENT_START, SND_SEQ_EVENT_CLIENT_EXIT, SND_SEQ_EVENT_CLIENT_CHANGE,
          SND_SEQ_EVENT_PORT_START, SND_SEQ_EVENT_PORT_EXIT, SND_SEQ_EVENT_PORT_CHANGE}) {
        queue(FakeAlsaSequencer::announce(type, kSoftware));
        EXPECT_EQ(take(), std::vector<MidiInputEvent>{changed}) << int(type);
    }
    queue(FakeAlsaSequencer::announce(SND_SEQ_EVENT_PORT_START, FakeAlsaSequencer::kSelf));
    queue(FakeAlsaSequencer::connection(SND_SEQ_EVENT_PORT_SUBSCRIBED, kKeyboard, {131, 0}));
    EXPECT_TRUE(take().empty());
}

// Unsubscribed (by us or by anyone), the port gone, or its whole client gone: its end comes
// after its last message, under the id its messages had.
TEST_F(AlsaInput, ASourceEndsAfterItsLastMessageHoweverItGoes) {
    const struct {
        const char* how;
        snd_seq_event_t end;
    } cases[] = {
        {"unsubscribed", FakeAlsaSequencer::connection(SND_SEQ_EVENT_PORT_UNSUBSCRIBED, kKeyboard)},
        {"port gone", FakeAlsaSequencer::announce(SND_SEQ_EVENT_PORT_EXIT, kKeyboard)},
        {"client gone",
         FakeAlsaSequencer::announce(SND_SEQ_EVENT_CLIENT_EXIT, {kKeyboard.client, 0})},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(input.connect("USB Keys:USB Keys MIDI 1", true)) << c.how;
        queue(FakeAlsaSequencer::note(kKeyboard, SND_SEQ_EVENT_NOTEON, 60, 100));
        queue(FakeAlsaSequencer::note(kKeyboard, SND_SEQ_EVENT_NOTEON, 64, 0));
        queue(c.end);
        state->senders.clear();
        const auto events = take();
        ASSERT_EQ(events.size(), 5U) << c.how;
        const uint16_t id = events[1].source;
        const std::vector<MidiInputEvent> expected = {
            {Kind::SourcesChanged, 0, 0},  {Kind::Message, id, 0x643C90},
            {Kind::Message, id, 0x004090}, {Kind::SourceGone, id, 0},
            {Kind::SourcesChanged, 0, 0},
        };
        EXPECT_EQ(events, expected) << c.how;
    }
}

TEST_F(AlsaInput, EachSourceHasItsOwnIdAndANewOneWhenItComesBack) {
    queue(FakeAlsaSequencer::note(kKeyboard, SND_SEQ_EVENT_NOTEON, 60, 100));
    queue(FakeAlsaSequencer::note(kSynthPad, SND_SEQ_EVENT_NOTEON, 60, 100));
    queue(FakeAlsaSequencer::note(kKeyboard, SND_SEQ_EVENT_NOTEOFF, 60, 0));
    queue(FakeAlsaSequencer::announce(SND_SEQ_EVENT_PORT_EXIT, kKeyboard));
    queue(FakeAlsaSequencer::note(kKeyboard, SND_SEQ_EVENT_NOTEON, 62, 100));
    const auto events = take();
    ASSERT_EQ(events.size(), 6U);
    EXPECT_NE(events[0].source, events[1].source);
    EXPECT_EQ(events[0].source, events[2].source);
    EXPECT_EQ(events[3].kind, Kind::SourceGone);
    EXPECT_EQ(events[3].source, events[0].source);
    EXPECT_NE(events[5].source, events[0].source);
    EXPECT_NE(events[5].source, events[1].source);
}

TEST_F(AlsaInput, WhatIsNoChannelMessageIsDropped) {
    snd_seq_event_t sysex = FakeAlsaSequencer::note(kKeyboard, SND_SEQ_EVENT_SYSEX, 0, 0);
    snd_seq_event_t clock = FakeAlsaSequencer::note(kKeyboard, SND_SEQ_EVENT_CLOCK, 0, 0);
    snd_seq_event_t sensing = FakeAlsaSequencer::note(kKeyboard, SND_SEQ_EVENT_SENSING, 0, 0);
    for (const auto& event : {sysex, clock, sensing}) queue(event);
    EXPECT_TRUE(take().empty());
}

}  // namespace
}  // namespace tonvel
