#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "midi/synth/audio_output_chain.h"
#include "synth_test_support.h"

namespace tonvel {
namespace {

using namespace tonvel::testing;
using namespace std::chrono_literals;
using Clock = AudioOutputChain::Clock;

// A way to the speakers whose server comes and goes as the test says.
struct Server {
    uint64_t identity = 1;  // 0: not there
    bool refuses = false;
    bool lost = false;
};

class ServerOutput : public AudioOutput {
  public:
    ServerOutput(std::string name, Server& server, std::vector<std::string>& log)
        : name_(std::move(name)), server_(server), log_(log) {}
    bool start(SoundSource&) override {
        const bool starts = server_.identity != 0 && !server_.refuses;
        log_.push_back("start " + name_ + (silent_ ? " silent" : "") + (starts ? "" : " refused"));
        running_ = starts;
        server_.lost = false;
        return starts;
    }
    void stop() override {
        log_.push_back("stop " + name_);
        running_ = false;
    }
    AudioStatus status() const override {
        return running_ ? AudioStatus{name_, 128, true} : AudioStatus{};
    }
    std::string serverName() const override { return name_; }
    bool lost() const override { return running_ && server_.lost; }
    uint64_t server() const override { return server_.identity; }
    void setSilent(bool silent) override {
        if (silent_ && !silent && running_) log_.push_back("sound " + name_);
        silent_ = silent;
    }

  private:
    std::string name_;
    Server& server_;
    std::vector<std::string>& log_;
    bool running_ = false;
    bool silent_ = false;
};

class AudioRecovery : public ::testing::Test {
  protected:
    void SetUp() override {
        engine = SynthEngine::create(kSystemSoundFonts / "TimGM6mb.sf2", {});
        if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
        std::vector<std::unique_ptr<AudioOutput>> outputs;
        for (size_t i = 0; i < servers.size(); ++i)
            outputs.push_back(std::make_unique<ServerOutput>(names[i], servers[i], log));
        chain = std::make_unique<AudioOutputChain>(std::move(outputs), false);
    }

    // The watcher's looks from `from` to `to`, every period, as its thread makes them.
    void watchUntil(Clock::duration to) {
        for (; elapsed <= to; elapsed += AudioOutputChain::kWatchPeriod)
            chain->watch(start + elapsed);
        elapsed = to + AudioOutputChain::kWatchPeriod;
    }
    std::vector<std::string> takeLog() { return std::exchange(log, {}); }
    std::vector<std::string> statuses() {
        std::vector<std::string> texts;
        for (const auto& news : chain->takeNews()) texts.push_back(news.status);
        return texts;
    }

    std::unique_ptr<SynthEngine> engine;
    std::vector<std::string> names{"first", "second", "third"};
    std::vector<Server> servers{3};
    std::vector<std::string> log;
    std::unique_ptr<AudioOutputChain> chain;
    const Clock::time_point start = Clock::now();
    Clock::duration elapsed{};
};

TEST_F(AudioRecovery, ALostServerHandsTheSoundOnAndGetsItBackWhenItReturns) {
    ASSERT_TRUE(chain->start(*engine));
    EXPECT_EQ(takeLog(), std::vector<std::string>{"start first"});

    servers[0].lost = true;
    servers[0].identity = 0;
    watchUntil(100ms);
    EXPECT_EQ(takeLog(), (std::vector<std::string>{"stop first", "start second"}));
    EXPECT_EQ(statuses(),
              (std::vector<std::string>{"Sound : first went away", "Sound : through second"}));
    EXPECT_EQ(chain->status().driver, "second");

    watchUntil(5s);
    EXPECT_TRUE(takeLog().empty()) << "nothing to go back to while the first server is away";

    servers[0].identity = 2;  // started again
    watchUntil(6100ms);
    EXPECT_EQ(takeLog(),
              (std::vector<std::string>{"start first silent", "stop second", "sound first"}))
        << "the second plays on until the first runs";
    EXPECT_EQ(statuses(), std::vector<std::string>{"Sound : through first"});
    EXPECT_EQ(chain->status().driver, "first");
}

TEST_F(AudioRecovery, WithNothingAnsweringEveryServerThereIsAskedAgainUntilOneIs) {
    ASSERT_TRUE(chain->start(*engine));
    takeLog();
    for (auto& server : servers) server.identity = 0;
    servers[0].lost = true;
    servers[2].identity = 5;
    servers[2].refuses = true;
    watchUntil(1s);
    const auto tries = takeLog();
    EXPECT_EQ(tries.front(), "stop first");
    EXPECT_EQ(std::count(tries.begin(), tries.end(), "start third refused"), 4)
        << "one try per retry period, and only where a server is there";
    EXPECT_EQ(statuses(), std::vector<std::string>{"Sound : first went away"}) << "told once";

    servers[1].identity = 3;
    watchUntil(1300ms);
    EXPECT_EQ(takeLog(), std::vector<std::string>{"start second"});
    EXPECT_EQ(chain->status().driver, "second");
}

TEST_F(AudioRecovery, AServerThatRefusesIsAskedAgainLessOftenUnlessItRestartsOrTheUserAsks) {
    servers[0].refuses = true;
    ASSERT_TRUE(chain->start(*engine));
    EXPECT_EQ(takeLog(), (std::vector<std::string>{"start first refused", "start second"}));
    watchUntil(60s);
    // At the next look, then 5, 10 and 20 s later.
    EXPECT_EQ(takeLog(), std::vector<std::string>(4, "start first silent refused"));

    servers[0].identity = 9;  // started again: asked at the next look
    watchUntil(60500ms);
    EXPECT_EQ(takeLog(), std::vector<std::string>{"start first silent refused"});

    chain->tryAgain();
    servers[0].refuses = false;
    watchUntil(60600ms);
    EXPECT_EQ(takeLog(),
              (std::vector<std::string>{"start first silent", "stop second", "sound first"}));
}

TEST_F(AudioRecovery, TheSynthesizerKeepsItsProgramsAndControllersAcrossAChangeOfServer) {
    ASSERT_TRUE(chain->start(*engine));
    engine->play(programChange(3, 40));
    engine->play(0x0A07B3);  // channel 4 volume 10
    engine->play(noteOn(3, 60, 100));
    servers[0].lost = true;
    servers[0].identity = 0;
    watchUntil(100ms);
    ASSERT_EQ(chain->status().driver, "second");

    int soundFont = 0, bank = 0, program = 0, volume = 0;
    fluid_synth_get_program(engine->synth(), 3, &soundFont, &bank, &program);
    fluid_synth_get_cc(engine->synth(), 3, 7, &volume);
    EXPECT_EQ(program, 40);
    EXPECT_EQ(volume, 10);
    EXPECT_LT(peakOf(engine->renderInterleaved(4800)), kSilence)
        << "what sounded when the server went is not heard when the next one starts";
}

TEST_F(AudioRecovery, NothingIsWatchedOnceStopped) {
    ASSERT_TRUE(chain->start(*engine));
    chain->stop();
    takeLog();
    servers[0].lost = true;
    watchUntil(2s);
    EXPECT_TRUE(takeLog().empty());
    EXPECT_TRUE(chain->status().driver.empty());
}

// The watcher on its own thread, as the program runs it: whichever thread is quicker, a server
// that goes away is told and the sound moves on.
TEST(AudioRecoveryThread, TheWatcherMovesTheSoundOnByItself) {
    auto engine = SynthEngine::create(kSystemSoundFonts / "TimGM6mb.sf2", {});
    if (!engine) GTEST_SKIP() << "TimGM6mb.sf2 not installed";
    struct Output : AudioOutput {
        explicit Output(std::string n) : name(std::move(n)) {}
        bool start(SoundSource&) override { return !gone && (running = true); }
        void stop() override { running = false; }
        AudioStatus status() const override {
            return running ? AudioStatus{name, 128, true} : AudioStatus{};
        }
        std::string serverName() const override { return name; }
        bool lost() const override { return running && gone; }
        uint64_t server() const override { return gone ? 0 : 1; }
        const std::string name;
        std::atomic<bool> gone{false}, running{false};
    };
    auto first = std::make_unique<Output>("first");
    Output& goes = *first;
    std::vector<std::unique_ptr<AudioOutput>> outputs;
    outputs.push_back(std::move(first));
    outputs.push_back(std::make_unique<Output>("second"));
    AudioOutputChain chain(std::move(outputs));
    ASSERT_TRUE(chain.start(*engine));

    goes.gone = true;
    std::vector<std::string> told;
    for (auto until = Clock::now() + 10s; told.size() < 2 && Clock::now() < until;) {
        for (const auto& news : chain.takeNews()) told.push_back(news.status);
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(told,
              (std::vector<std::string>{"Sound : first went away", "Sound : through second"}));
    EXPECT_EQ(chain.status().driver, "second");
    chain.stop();
    EXPECT_TRUE(chain.status().driver.empty());
}

}  // namespace
}  // namespace tonvel
