#pragma once

namespace tonvel {

// What an audio output carries: the built-in synthesizer's sound, rendered on the output's own
// thread when it asks for more.
class SoundSource {
  public:
    virtual ~SoundSource() = default;
    virtual double sampleRate() const = 0;
    // Stereo frames into two buffers, on the output's thread; never waits on slow work.
    virtual void render(int frames, float* left, float* right) = 0;
    // Ends every voice at once; programs and controllers stay. Any thread.
    virtual void cutVoices() = 0;
};

}  // namespace tonvel
