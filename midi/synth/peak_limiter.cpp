#include "midi/synth/peak_limiter.h"

#include <algorithm>
#include <cmath>

namespace tonvel {

PeakLimiter::PeakLimiter(float ceiling, float releaseSeconds, double sampleRate)
    : ceiling_(ceiling),
      release_(static_cast<float>(std::exp(-1.0 / (releaseSeconds * sampleRate)))) {}

float PeakLimiter::gainFor(float peak) {
    envelope_ = std::max(peak, envelope_ * release_);
    return envelope_ > ceiling_ ? ceiling_ / envelope_ : 1.0F;
}

void PeakLimiter::process(float* left, float* right, int frames) {
    for (int i = 0; i < frames; ++i) {
        const float gain = gainFor(std::max(std::fabs(left[i]), std::fabs(right[i])));
        left[i] *= gain;
        right[i] *= gain;
    }
}

void PeakLimiter::processInterleaved(float* samples, int frames) {
    for (int i = 0; i < frames; ++i) {
        float* frame = samples + 2 * i;
        const float gain = gainFor(std::max(std::fabs(frame[0]), std::fabs(frame[1])));
        frame[0] *= gain;
        frame[1] *= gain;
    }
}

}  // namespace tonvel
