#pragma once

#include <cstdint>
#include <string>

namespace tonvel {

class SoundSource;

// What carries the sound, once it runs.
struct AudioStatus {
    std::string driver;     // empty while stopped
    int periodFrames = 0;   // the period the stream runs with; under JACK the server's
    bool realTime = false;  // whether the thread that renders runs at real-time priority
};

// Carries a synthesizer's sound to the speakers.
class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    // False when no audio device or server accepts the stream.
    virtual bool start(SoundSource& source) = 0;
    virtual void stop() = 0;
    virtual AudioStatus status() const { return {}; }

    // The server's name as a user knows it.
    virtual std::string serverName() const { return "sound"; }
    // Whether the server went away since start() (its connection closed, its callbacks stopped).
    // Any thread; never waits.
    virtual bool lost() const { return false; }
    // Who would answer a start now, found without talking to anyone: 0 when nobody is there,
    // else a number that changes when the server is started again. Any thread; never waits.
    virtual uint64_t server() const { return 1; }
    // While silent, the stream runs on and carries silence without rendering: another output
    // may be rendering the same synthesizer meanwhile. Any thread.
    virtual void setSilent(bool silent) { (void)silent; }
    // While set, a start() waiting for the server on another thread gives up soon, and so
    // does any start() until it is cleared. Any thread.
    virtual void abandonStarts(bool abandon) { (void)abandon; }
    // Starts the sound again at once where it is not running. On the window's thread; never
    // waits.
    virtual void tryAgain() {}
};

}  // namespace tonvel
