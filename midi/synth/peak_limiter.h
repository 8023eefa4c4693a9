#pragma once

namespace tonvel {

// Keeps the synthesizer's output below a ceiling, so that a full chord with drums is
// turned down for a moment instead of clipping, while single notes pass untouched.
// The gain follows the peak at once and recovers over the release time; both channels
// share it, so the stereo image stays put.
class PeakLimiter {
  public:
    PeakLimiter(float ceiling, float releaseSeconds, double sampleRate);

    void process(float* left, float* right, int frames);
    void processInterleaved(float* samples, int frames);
    void reset() { envelope_ = 0.0F; }

  private:
    float gainFor(float peak);

    float ceiling_;
    float release_;
    float envelope_ = 0.0F;
};

}  // namespace tonvel
