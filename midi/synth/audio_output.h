#pragma once

#include <string>

namespace tonvel {

class SynthEngine;

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
    virtual bool start(SynthEngine& engine) = 0;
    virtual void stop() = 0;
    virtual AudioStatus status() const { return {}; }
};

}  // namespace tonvel
