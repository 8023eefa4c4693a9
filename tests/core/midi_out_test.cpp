#include "midi/midi_out.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "fakes/recording_services.h"

namespace tonvel {
namespace {

using testing::RecordingDialogs;
using testing::RecordingMidiSystem;

struct Sent {
    const char* what;
    std::function<bool(MidiOut&)> call;
    bool accepted;
    std::vector<std::string> bytes;
};

TEST(MidiOut, SendsExactBytesAndNeverADataByteAbove7F) {
    const std::vector<Sent> cases = {
        {"program 40",
         [](MidiOut& m) { return m.selectProgram(0, 40); },
         true,
         {"B0 00 00", "B0 20 00", "C0 28"}},
        {"drum note on", [](MidiOut& m) { return m.noteOn(9, 36, 127); }, true, {"99 24 7F"}},
        {"drum note off", [](MidiOut& m) { return m.noteOff(9, 36); }, true, {"89 24 00"}},
        {"velocity 0 stays a note-on",
         [](MidiOut& m) { return m.noteOn(0, 50, 0); },
         true,
         {"90 32 00"}},
        {"note 128", [](MidiOut& m) { return m.noteOn(0, 128, 100); }, false, {}},
        {"note off 200", [](MidiOut& m) { return m.noteOff(0, 200); }, false, {}},
        {"velocity 128", [](MidiOut& m) { return m.noteOn(0, 60, 128); }, false, {}},
        {"negative note", [](MidiOut& m) { return m.noteOn(0, -1, 100); }, false, {}},
        {"channel 16", [](MidiOut& m) { return m.noteOn(16, 60, 100); }, false, {}},
        {"program 128", [](MidiOut& m) { return m.selectProgram(0, 128); }, false, {}},
    };
    for (const auto& c : cases) {
        RecordingMidiSystem system;
        system.open(-1);
        RecordingDialogs dialogs;
        MidiOut out(system, dialogs);
        EXPECT_EQ(c.call(out), c.accepted) << c.what;
        EXPECT_EQ(system.sentHex(), c.bytes) << c.what;
    }
}

// What the output refuses is not reported as sent, nor recorded.
TEST(MidiOut, ASendTheOutputRefusedIsAFailure) {
    const std::vector<std::pair<const char*, std::function<bool(MidiOut&)>>> calls = {
        {"note on", [](MidiOut& m) { return m.noteOn(0, 60, 100); }},
        {"note off", [](MidiOut& m) { return m.noteOff(9, 36); }},
        {"message", [](MidiOut& m) { return m.sendMessage(0x7F3C90); }},
        {"program", [](MidiOut& m) { return m.selectProgram(0, 5); }},
    };
    for (const bool open : {true, false}) {
        for (const auto& [what, call] : calls) {
            RecordingMidiSystem system;
            if (open) system.open(-1);
            RecordingDialogs dialogs;
            MidiOut out(system, dialogs);
            size_t told = 0;
            out.onSent = [&told](uint32_t) { ++told; };
            EXPECT_EQ(call(out), open) << what << (open ? " open" : " closed");
            EXPECT_EQ(told, open ? system.sent.size() : 0u) << what;
        }
    }
}

TEST(MidiOut, DeviceMenuListsTheSynthesizerThenThePorts) {
    RecordingMidiSystem system;
    system.names = {"Port A", "Port B"};
    RecordingDialogs dialogs;
    MidiOut out(system, dialogs);
    std::vector<MenuItem> menu;
    out.buildDeviceMenu(menu);
    ASSERT_EQ(menu.size(), 3u);
    EXPECT_EQ(menu[0].caption, "Midi Mapper");
    EXPECT_EQ(menu[2].caption, "Port B");
    EXPECT_EQ(menu[2].index, 2);
}

TEST(MidiOut, OpeningTicksTheItemAndMapsIndexToDevice) {
    struct Case {
        int deviceId;
        size_t ports;
        bool openSucceeds;
        int expectedDevice;
        bool ready;
        int ticked;  // -1 none
        size_t messages;
    };
    const std::vector<Case> cases = {
        {0, 0, true, -1, true, 0, 0},    // built-in synthesizer
        {0, 0, false, -1, false, 0, 0},  // no synthesizer: the item is still ticked
        {2, 2, true, 1, true, 2, 0},     // item 2 is port 1
        {5, 2, true, 4, false, -1, 1},   // stored index with no item
    };
    for (const auto& c : cases) {
        RecordingMidiSystem system;
        system.openSucceeds = c.openSucceeds;
        for (size_t i = 0; i < c.ports; ++i) system.names.push_back("Port " + std::to_string(i));
        RecordingDialogs dialogs;
        MidiOut out(system, dialogs);
        std::vector<MenuItem> menu;
        out.buildDeviceMenu(menu);
        out.midiDeviceId = c.deviceId;
        out.openMidiOut(menu);
        ASSERT_FALSE(system.openedDevices.empty());
        EXPECT_EQ(system.openedDevices.back(), c.expectedDevice) << c.deviceId;
        EXPECT_EQ(out.midiReady, c.ready) << c.deviceId;
        for (size_t i = 0; i < menu.size(); ++i)
            EXPECT_EQ(menu[i].checked, static_cast<int>(i) == c.ticked)
                << c.deviceId << " item " << i;
        EXPECT_EQ(dialogs.messages.size(), c.messages) << c.deviceId;
    }
}

TEST(MidiOut, MissingDeviceItemIsReportedOncePerRun) {
    RecordingMidiSystem system;
    RecordingDialogs dialogs;
    MidiOut out(system, dialogs);
    std::vector<MenuItem> menu;
    out.buildDeviceMenu(menu);
    out.midiDeviceId = 5;
    for (int i = 0; i < 3; ++i) {
        out.closeMidiOut();
        out.openMidiOut(menu);
    }
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].icon, MessageIcon::Critical);
    EXPECT_FALSE(out.midiReady);
}

}  // namespace
}  // namespace tonvel
