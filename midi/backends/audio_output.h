#pragma once

namespace tonvel {

class SynthEngine;

// Carries a synthesizer's sound to the speakers.
class AudioOutput {
  public:
    virtual ~AudioOutput() = default;
    // False when no audio device or server accepts the stream.
    virtual bool start(SynthEngine& engine) = 0;
    virtual void stop() = 0;
};

}  // namespace tonvel
