#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tonvel {

// How the built-in synthesizer sounds: what a sound file made of a piece must sound like.
struct SynthSound {
    std::string soundFont;  // empty when there is none
    float gain = 0.7F;
    bool reverb = true;
    bool chorus = true;
    double sampleRate = 48000.0;
};

enum class SoundFileType { Wav, Flac };

struct SoundExportJob {
    // Channel messages (status | data1 << 8 | data2 << 16) at their milliseconds, in time order.
    std::vector<std::pair<int64_t, uint32_t>> messages;
    std::string path;
    SoundFileType type = SoundFileType::Wav;
    SynthSound sound;
};

// One sound file being made, away from the window's thread.
class SoundExportRun {
  public:
    virtual ~SoundExportRun() = default;
    // 0 to 1.
    virtual double progress() const = 0;
    virtual bool finished() const = 0;
    // Once finished: why no file was made; none when it was, or when it was cancelled.
    virtual std::optional<std::string> failure() const = 0;
    virtual bool cancelled() const = 0;
    // Asks the run to stop; it finishes soon after, leaving no file behind.
    virtual void cancel() = 0;
};

// Renders pieces to sound files with the built-in synthesizer's sound.
class SoundExporter {
  public:
    virtual ~SoundExporter() = default;
    // The synthesizer's sound now.
    virtual SynthSound currentSound() = 0;
    virtual std::unique_ptr<SoundExportRun> start(SoundExportJob job) = 0;
};

}  // namespace tonvel
