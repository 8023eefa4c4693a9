#include "midi/synth/fluid_sound_export.h"

#include <fcntl.h>
#include <fluidsynth.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <thread>

#include "midi/synth/synth_gain.h"

namespace tonvel {

namespace {

namespace fs = std::filesystem;

// Frames rendered at a time: FluidSynth's own block, so a message starts where it would live.
constexpr int kBlockFrames = 64;
// After the last message the sound rings out until no voice is left, then the reverb's tail;
// never longer than the longest release.
constexpr double kTailSeconds = 1.0;
constexpr double kLongestRingSeconds = 20.0;

class FluidExportRun : public SoundExportRun {
  public:
    explicit FluidExportRun(SoundExportJob job) : job_(std::move(job)) {
        thread_ = std::thread([this] { run(); });
    }
    ~FluidExportRun() override {
        cancel();
        thread_.join();
    }
    double progress() const override { return progress_.load(); }
    bool finished() const override { return finished_.load(std::memory_order_acquire); }
    std::optional<std::string> failure() const override {
        return finished() ? failure_ : std::nullopt;
    }
    bool cancelled() const override { return finished() && wasCancelled_; }
    void cancel() override { cancel_.store(true); }

  private:
    void run() {
        std::string temporary;
        failure_ = render(temporary);
        wasCancelled_ = !failure_ && cancel_.load();
        if (failure_ || wasCancelled_) {
            if (!temporary.empty()) ::unlink(temporary.c_str());
        } else if (::rename(temporary.c_str(), job_.path.c_str()) != 0) {
            failure_ = std::string("the file cannot take its name: ") + std::strerror(errno);
            ::unlink(temporary.c_str());
        }
        progress_.store(1.0);
        finished_.store(true, std::memory_order_release);
    }

    // A fresh file beside the destination, which FluidSynth then writes over.
    std::optional<std::string> makeTemporary(std::string& temporary) const {
        const fs::path target(job_.path);
        const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
        std::string name = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
        const int fd = ::mkstemp(name.data());
        if (fd < 0) return "the folder cannot be written: " + std::string(std::strerror(errno));
        ::fchmod(fd, 0644);
        ::close(fd);
        temporary = name;
        return std::nullopt;
    }

    std::optional<std::string> render(std::string& temporary) {
        if (job_.sound.soundFont.empty()) return "no SoundFont was found for the synthesizer";
        if (auto failed = makeTemporary(temporary)) return failed;
        struct Fluid {
            fluid_settings_t* settings = new_fluid_settings();
            fluid_synth_t* synth = nullptr;
            fluid_file_renderer_t* renderer = nullptr;
            ~Fluid() {
                if (renderer) delete_fluid_file_renderer(renderer);
                if (synth) delete_fluid_synth(synth);
                if (settings) delete_fluid_settings(settings);
            }
        } fluid;
        if (!fluid.settings) return "the synthesizer cannot be made";
        const double rate = job_.sound.sampleRate;
        fluid_settings_setnum(fluid.settings, "synth.sample-rate", rate);
        fluid_settings_setnum(fluid.settings, "synth.gain", job_.sound.gain);
        fluid_settings_setint(fluid.settings, "synth.reverb.active", job_.sound.reverb ? 1 : 0);
        fluid_settings_setint(fluid.settings, "synth.chorus.active", job_.sound.chorus ? 1 : 0);
        fluid_settings_setint(fluid.settings, "synth.dynamic-sample-loading", 1);
        fluid_settings_setstr(fluid.settings, "audio.file.name", temporary.c_str());
        fluid_settings_setstr(fluid.settings, "audio.file.type",
                              job_.type == SoundFileType::Flac ? "flac" : "wav");
        fluid_settings_setstr(fluid.settings, "audio.file.format", "s16");
        fluid_settings_setint(fluid.settings, "audio.period-size", kBlockFrames);
        fluid.synth = new_fluid_synth(fluid.settings);
        if (!fluid.synth) return "the synthesizer cannot be made";
        if (fluid_synth_sfload(fluid.synth, job_.sound.soundFont.c_str(), 1) == FLUID_FAILED)
            return "the SoundFont " + job_.sound.soundFont + " cannot be loaded";
        fluid.renderer = new_fluid_file_renderer(fluid.synth);
        if (!fluid.renderer) return "the sound file cannot be started";

        const auto frameOf = [rate](int64_t ms) {
            return static_cast<int64_t>(std::llround(static_cast<double>(ms) * rate / 1000.0));
        };
        const auto& messages = job_.messages;
        const int64_t lastFrame = messages.empty() ? 0 : frameOf(messages.back().first);
        const auto tail = static_cast<int64_t>(kTailSeconds * rate);
        const auto longest = lastFrame + static_cast<int64_t>(kLongestRingSeconds * rate);
        size_t next = 0;
        int64_t silentSince = -1;
        for (int64_t frame = 0;; frame += kBlockFrames) {
            if (cancel_.load()) return std::nullopt;
            while (next < messages.size() && frameOf(messages[next].first) <= frame)
                play(fluid.synth, messages[next++].second);
            if (next >= messages.size()) {
                if (fluid_synth_get_active_voice_count(fluid.synth) > 0) {
                    silentSince = -1;
                } else if (silentSince < 0) {
                    silentSince = frame;
                }
                if ((silentSince >= 0 && frame - silentSince >= tail) || frame >= longest) break;
            }
            if (fluid_file_renderer_process_block(fluid.renderer) != FLUID_OK)
                return writeFailure(temporary);
            progress_.store(std::min(
                0.99, static_cast<double>(frame) / static_cast<double>(lastFrame + tail + 1)));
        }
        delete_fluid_file_renderer(fluid.renderer);
        fluid.renderer = nullptr;
        struct stat written {};
        if (::stat(temporary.c_str(), &written) != 0 || written.st_size == 0)
            return writeFailure(temporary);
        return std::nullopt;
    }

    static std::optional<std::string> writeFailure(const std::string& temporary) {
        std::error_code error;
        const auto space = fs::space(fs::path(temporary).parent_path(), error);
        if (!error && space.available < (1u << 20)) return "the disk is full";
        return "the sound file could not be written";
    }

    static void play(fluid_synth_t* synth, uint32_t message) {
        const int channel = message & 0x0F;
        const int data1 = (message >> 8) & 0x7F, data2 = (message >> 16) & 0x7F;
        switch (message & 0xF0) {
            case 0x80:
                fluid_synth_noteoff(synth, channel, data1);
                break;
            case 0x90:
                fluid_synth_noteon(synth, channel, data1, data2);
                break;
            case 0xA0:
                fluid_synth_key_pressure(synth, channel, data1, data2);
                break;
            case 0xB0:
                fluid_synth_cc(synth, channel, data1, data2);
                break;
            case 0xC0:
                fluid_synth_program_change(synth, channel, data1);
                break;
            case 0xD0:
                fluid_synth_channel_pressure(synth, channel, data1);
                break;
            case 0xE0:
                fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
                break;
            default:
                break;
        }
    }

    SoundExportJob job_;
    std::atomic<double> progress_{0.0};
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    // Written by the run's thread before `finished_`, read by others after it.
    std::optional<std::string> failure_;
    bool wasCancelled_ = false;
    std::thread thread_;
};

}  // namespace

SynthSound FluidSoundExporter::currentSound() {
    if (sound_) return sound_();
    SynthSound sound;
    if (const auto found = findSoundFont(search_)) {
        sound.soundFont = found->string();
        sound.gain = synthGainFor(*found);
    }
    return sound;
}

std::unique_ptr<SoundExportRun> FluidSoundExporter::start(SoundExportJob job) {
    return std::make_unique<FluidExportRun>(std::move(job));
}

}  // namespace tonvel
