#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "midi/synth/audio_buffering.h"
#include "midi/synth/audio_output.h"

namespace tonvel {

// Something about the sound that a user should hear of, told once.
struct OutputNews {
    std::string status;  // a few words for the status line
    std::string detail;  // a sentence for standard error
};

// Several ways to the speakers, the first that starts carrying the sound. Once started, a
// watcher thread of its own (an ordinary one) keeps the sound going: when the server that
// carries it goes away, the next output that answers takes over, and when a server ahead in
// the chain comes back, the sound goes back to it. The synthesizer stays as it is throughout;
// only the way its sound leaves changes.
class AudioOutputChain : public AudioOutput {
  public:
    using Clock = std::chrono::steady_clock;
    // How often the watcher looks at the output that plays.
    static constexpr std::chrono::milliseconds kWatchPeriod{100};
    // How often it asks every output again while none carries the sound.
    static constexpr std::chrono::milliseconds kRetryPeriod{250};
    // How often it looks for a server ahead of the one that plays.
    static constexpr std::chrono::milliseconds kReturnPeriod{1000};
    // A server that was there but refused the stream is asked again at the next look: one that
    // was just started may still be setting up its session. After that, when it still refuses,
    // after kSecondRefusal, then after twice as long each time up to kLongestRefusal, unless it
    // starts again meanwhile.
    static constexpr std::chrono::milliseconds kSecondRefusal{5000};
    static constexpr std::chrono::milliseconds kLongestRefusal{60000};

    // With watch false (for tests) nothing watches until watch() is called.
    explicit AudioOutputChain(std::vector<std::unique_ptr<AudioOutput>> outputs, bool watch = true);
    ~AudioOutputChain() override;
    AudioOutputChain(const AudioOutputChain&) = delete;
    AudioOutputChain& operator=(const AudioOutputChain&) = delete;

    // A JACK server's own period when one runs, since it then owns the sound card; else a
    // PipeWire server's own stream, in its cycle; else the PulseAudio server; else ALSA
    // directly.
    static std::unique_ptr<AudioOutputChain> systemDefault(const AudioBuffering& buffering);

    // On the window's thread: the first start tries the outputs in turn and waits for the
    // answer. Once a start succeeded the sound is kept going until stop().
    bool start(SoundSource& source) override;
    void stop() override;
    AudioStatus status() const override;
    // Asks every output again now, a refused one too, unless the first of the chain plays.
    void tryAgain() override;

    // One look of the watcher, as of `now`.
    void watch(Clock::time_point now);
    // What happened since the last call, in order. Any thread.
    std::vector<OutputNews> takeNews();

  private:
    struct Refusal {
        uint64_t server = 0;
        Clock::time_point askAgain{};
        std::chrono::milliseconds wait{0};
    };

    void run();
    // Under work_.
    bool startOutput(size_t index);
    void stopActive();
    void refuse(size_t index, uint64_t server, Clock::time_point now);
    void publish(int index);
    void tell(OutputNews news);

    std::vector<std::unique_ptr<AudioOutput>> outputs_;
    // Held while outputs start and stop; the window's thread takes it only to start or stop.
    std::mutex work_;
    SoundSource* source_ = nullptr;
    bool wanted_ = false;
    std::vector<Refusal> refusals_;
    Clock::time_point nextRetry_{};
    Clock::time_point nextReturnLook_{};

    mutable std::mutex activeLock_;
    int active_ = -1;

    std::mutex newsLock_;
    std::vector<OutputNews> news_;

    std::mutex wakeLock_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool tryAgain_ = false;
    bool watching_;
    std::thread watcher_;
};

}  // namespace tonvel
