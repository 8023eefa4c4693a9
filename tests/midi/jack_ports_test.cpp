// Against a running JACK server; scripts/jack_midi_test.sh provides one.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "midi/jack/jack_server_socket.h"
#include "midi/ports/platform_midi_system.h"
#include "midi/ports/system_midi_ports.h"
#include "synth_test_support.h"

namespace tonvel {
namespace {

using namespace tonvel::testing;
using Bytes = std::vector<unsigned char>;

constexpr const char* kReceiverClient = "TonvelTestReceiver";
constexpr const char* kReceiverPort = "TonvelTestReceiver:in";
constexpr std::chrono::milliseconds kArrival{2000};
constexpr std::chrono::milliseconds kStraggler{300};

class JackPorts : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::getenv("TONVEL_JACK_TESTS") == nullptr) {
            GTEST_SKIP() << "set TONVEL_JACK_TESTS=1 with a JACK server running";
        }
        receiver = std::make_unique<RtMidiIn>(RtMidi::UNIX_JACK, kReceiverClient);
        receiver->openVirtualPort("in");
    }

    int indexOf(const std::vector<std::string>& names, const std::string& name) {
        const auto it = std::find(names.begin(), names.end(), name);
        return it == names.end() ? -1 : static_cast<int>(it - names.begin());
    }

    // Waits for up to count messages. JACK delivers within a period (5.3 ms here), so
    // the waits are generous.
    std::vector<Bytes> receive(size_t count, std::chrono::milliseconds wait = kArrival) {
        std::vector<Bytes> messages;
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (messages.size() < count && std::chrono::steady_clock::now() < deadline) {
            Bytes message;
            receiver->getMessage(&message);
            if (message.empty()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            } else {
                messages.push_back(message);
            }
        }
        return messages;
    }

    std::unique_ptr<RtMidiIn> receiver;
};

TEST_F(JackPorts, TheRunningServerIsFoundByItsSocket) {
    EXPECT_TRUE(jackServerMayAnswer());
}

TEST_F(JackPorts, SentMessagesArriveAsTheirBytes) {
    PlatformMidiSystem midi;
    const int index = indexOf(midi.outputNames(), kReceiverPort);
    ASSERT_GE(index, 0) << "receiver port not listed";
    ASSERT_TRUE(midi.open(index));

    EXPECT_TRUE(midi.sendShortMessage(0x7F3C90));
    EXPECT_TRUE(midi.sendShortMessage(0x003C80));
    EXPECT_TRUE(midi.sendShortMessage(0x0028C0));
    EXPECT_FALSE(midi.sendShortMessage(0x803C90));
    const std::vector<Bytes> expected = {{0x90, 0x3C, 0x7F}, {0x80, 0x3C, 0x00}, {0xC0, 0x28}};
    EXPECT_EQ(receive(3), expected);
    EXPECT_TRUE(receive(1, kStraggler).empty()) << "the refused message went out";
}

TEST_F(JackPorts, NothingArrivesAfterSwitchingToTheSynth) {
    PlatformMidiSystem midi;
    const int index = indexOf(midi.outputNames(), kReceiverPort);
    ASSERT_GE(index, 0);
    ASSERT_TRUE(midi.open(index));
    ASSERT_TRUE(midi.sendShortMessage(0x7F3C90));
    ASSERT_EQ(receive(1).size(), 1U);

    midi.open(-1);  // may fail without audio; either way the port is let go
    midi.sendShortMessage(0x7F3E90);
    EXPECT_TRUE(receive(1, kStraggler).empty());
}

TEST_F(JackPorts, PortThatWentAwayDoesNotOpen) {
    PlatformMidiSystem midi;
    const int index = indexOf(midi.outputNames(), kReceiverPort);
    ASSERT_GE(index, 0);
    receiver->closePort();
    EXPECT_FALSE(midi.open(index));
    EXPECT_FALSE(midi.sendShortMessage(0x7F3C90));
}

// 3,000 note pairs at once are far more than a period carries: each waits for a later period,
// and a close straight after the last one still lets all of it leave, in order.
TEST_F(JackPorts, ABurstArrivesWholeAndInOrderThoughClosedAtOnce) {
    struct Arrivals {
        std::mutex lock;
        std::vector<Bytes> messages;
    } arrivals;
    receiver->setCallback(
        [](double, Bytes* message, void* data) {
            auto* into = static_cast<Arrivals*>(data);
            std::lock_guard hold(into->lock);
            into->messages.push_back(*message);
        },
        &arrivals);
    // On a loaded machine, or under a sanitizer, the server's cycles may overrun.
    std::atomic<int> overruns{0};
    jack_client_t* watcher = jack_client_open("TonvelTestOverruns", JackNoStartServer, nullptr);
    ASSERT_NE(watcher, nullptr);
    jack_set_xrun_callback(
        watcher, [](void* count) { return ++*static_cast<std::atomic<int>*>(count), 0; },
        &overruns);
    jack_activate(watcher);
    PlatformMidiSystem midi;
    const int index = indexOf(midi.outputNames(), kReceiverPort);
    ASSERT_GE(index, 0);
    ASSERT_TRUE(midi.open(index));
    std::vector<Bytes> sent;
    for (int i = 0; i < 3000; ++i) {
        const uint32_t note = 0x20 + i % 64;
        for (const uint32_t message : {0x7F0090 | note << 8, 0x000080 | note << 8}) {
            SendResult result;
            while ((result = midi.trySend(message)) == SendResult::Busy)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (result == SendResult::Sent) sent.push_back(shortMessageBytes(message));
        }
    }
    midi.close();
    std::this_thread::sleep_for(kStraggler);
    jack_client_close(watcher);
    std::lock_guard hold(arrivals.lock);
    // A late cycle loses its MIDI or hands the one before it on again: nothing to check then.
    if (overruns > 0)
        GTEST_SKIP() << overruns << " overrun cycles; " << arrivals.messages.size()
                     << " messages arrived for " << sent.size() << " sent";
    EXPECT_EQ(sent.size(), 6000U) << "the output refused some";
    EXPECT_TRUE(arrivals.messages == sent)
        << arrivals.messages.size() << " arrived, in another order";
}

TEST_F(JackPorts, OwnOpenPortIsNotOffered) {
    SystemMidiPorts ports("TonvelTestOwn");
    const auto named = [](const std::vector<SystemMidiPort>& list, const std::string& name) {
        return std::any_of(list.begin(), list.end(), [&](const SystemMidiPort& port) {
            return port.api == RtMidi::UNIX_JACK && port.name == name;
        });
    };
    ASSERT_TRUE(named(ports.enumerate(), kReceiverPort));
    ASSERT_TRUE(ports.open({RtMidi::UNIX_JACK, kReceiverPort}));

    const auto listed = ports.enumerate();
    EXPECT_TRUE(named(listed, kReceiverPort));
    for (const auto& port : listed)
        EXPECT_FALSE(port.name.starts_with("TonvelTestOwn:")) << port.name;
}

// The port in use whose client goes away is told once, stays on the list, is reopened by a
// refresh while away, and is used again when its client is back.
TEST_F(JackPorts, APortWhoseClientWentAwayIsUsedAgainWhenItReturns) {
    PlatformMidiSystem midi;
    const int index = indexOf(midi.outputNames(), kReceiverPort);
    ASSERT_GE(index, 0);
    ASSERT_TRUE(midi.open(index));
    const auto statuses = [&] {
        std::vector<std::string> texts;
        for (const auto& news : midi.news()) texts.push_back(news.status);
        return texts;
    };
    EXPECT_TRUE(statuses().empty());

    receiver->closePort();
    std::vector<std::string> told;
    for (int i = 0; i < 100 && told.empty(); ++i, std::this_thread::sleep_for(kStraggler / 30))
        told = statuses();
    EXPECT_EQ(told, std::vector<std::string>{std::string("Gone : ") + kReceiverPort});
    EXPECT_FALSE(midi.outputPresent());
    EXPECT_EQ(indexOf(midi.outputNames(), kReceiverPort), index) << "still the one chosen";
    EXPECT_TRUE(midi.open(index)) << "a refresh while it is away";
    EXPECT_TRUE(statuses().empty()) << "told once";

    receiver->openVirtualPort("in");
    told.clear();
    for (int i = 0; i < 100 && told.empty(); ++i, std::this_thread::sleep_for(kStraggler / 30))
        told = statuses();
    EXPECT_EQ(told, std::vector<std::string>{std::string("Back : ") + kReceiverPort});
    EXPECT_TRUE(midi.outputPresent());
    EXPECT_TRUE(midi.sendShortMessage(0x7F3C90));
    EXPECT_EQ(receive(1), (std::vector<Bytes>{{0x90, 0x3C, 0x7F}}));
}

}  // namespace
}  // namespace tonvel
