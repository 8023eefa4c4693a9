#pragma once

#include <fluidsynth.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "midi/synth/peak_limiter.h"
#include "midi/synth/preset_loader.h"
#include "midi/synth/sound_source.h"

namespace tonvel {

struct SynthConfig {
    double sampleRate = 48000.0;
    float gain = 0.7F;
    // The output limiter's ceiling, about -1 dBFS.
    float ceiling = 0.89F;
    // Keeps in memory only the samples of the programs the channels have selected and of the
    // last few chosen: a full General MIDI set holds some 150 MB, of which a player uses a few.
    // A program's samples are read when it is prepared (prepare()), before its program change.
    bool samplesOnDemand = true;
};

// A FluidSynth instance with one SoundFont loaded, with no audio output of its own:
// an audio driver can be attached to it, or it can be rendered offline.
class SynthEngine : public SoundSource {
  public:
    // Null when the SoundFont cannot be loaded.
    static std::unique_ptr<SynthEngine> create(const std::filesystem::path& soundFont,
                                               const SynthConfig& config);
    ~SynthEngine() override;
    SynthEngine(const SynthEngine&) = delete;
    SynthEngine& operator=(const SynthEngine&) = delete;

    // Plays one channel message; the caller has checked it (isSendableShortMessage).
    void play(uint32_t message);
    // As play, from the thread that sends, which must not wait: false, and nothing played, while
    // prepare() is busy with the synthesizer.
    bool tryPlay(uint32_t message);
    // The thread that sends, around play() calls to several engines that must all be reached or
    // none: false, and nothing entered, while prepare() has the synthesizer; else leave after.
    bool senderEnter();
    void senderLeave();
    // Reads the samples of the program a program change will choose on `channel`, from the
    // window's thread, so that the change itself, on the thread that sends, has nothing to read.
    // The slow part happens away from the synthesizer that plays, which tryPlay is kept from
    // only for a moment. Programs prepared stay in memory while a channel uses them or while
    // they are among the last few prepared.
    void prepare(int channel, int program);
    // Cuts every voice at once and resets controllers, programs and the effects, so
    // nothing from before is heard when output resumes. Only while no audio driver is
    // attached.
    void silence();
    // Cuts every voice and resets the synthesizer like silence(), from the next block
    // an attached audio driver renders.
    void cutAllSound();

    // Renders frames of interleaved stereo. Only while no audio driver is attached.
    std::vector<float> renderInterleaved(int frames);
    // Renders for an audio driver, on its thread.
    void render(int frames, float* left, float* right) override;
    void cutVoices() override;

    int soundFontCount() const;
    double sampleRate() const override { return sampleRate_; }
    fluid_settings_t* settings() const { return settings_; }
    fluid_synth_t* synth() const { return synth_; }

    // How many programs stay pinned beyond those the channels use.
    static constexpr size_t kKeptPrograms = 4;
    // Programs whose samples are kept in memory now.
    size_t pinnedPrograms() const { return pinned_.size(); }

  private:
    SynthEngine(fluid_settings_t* settings, fluid_synth_t* synth, int soundFont,
                std::filesystem::path path, const SynthConfig& config);

    struct Program {
        int soundFont;
        int bank;
        int number;
        auto operator<=>(const Program&) const = default;
    };
    // The window's thread has the synthesizer to itself while one lives; tryPlay gives way.
    class WindowTurn {
      public:
        explicit WindowTurn(SynthEngine& engine);
        ~WindowTurn();
        WindowTurn(const WindowTurn&) = delete;
        WindowTurn& operator=(const WindowTurn&) = delete;

      private:
        SynthEngine& engine_;
    };

    std::set<Program> programsInUse() const;
    void pin(const Program& program);
    // Lets go of the programs pinned longest ago that no channel uses, beyond kKeptPrograms.
    void unpinStale();

    fluid_settings_t* settings_;
    fluid_synth_t* synth_;
    int soundFont_;
    std::filesystem::path path_;
    std::unique_ptr<PresetLoader> loader_;
    bool loaderTried_ = false;
    // Each pinned program with when it was last pinned or used.
    std::map<Program, uint64_t> pinned_;
    uint64_t uses_ = 0;
    bool samplesOnDemand_;
    std::atomic<bool> notePlayed_{false};
    std::atomic<bool> windowInside_{false};
    std::atomic<bool> senderInside_{false};
    double sampleRate_;
    PeakLimiter limiter_;
};

}  // namespace tonvel
