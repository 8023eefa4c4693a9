#include "midi/synth/soundfont_choice.h"

#include <utility>
#include <vector>

#include "midi/synth/synth_gain.h"

namespace tonvel {

SoundFontChoice::SoundFontChoice(BuiltinSynth& synth, std::filesystem::path given)
    : synth_(synth), given_(std::move(given)) {}

SoundFontChoice::~SoundFontChoice() = default;

void SoundFontChoice::startWith(const std::string& soundFont, bool reverb, bool chorus) {
    synth_.setEffects(reverb, chorus);
    if (!given_.empty() || soundFont.empty()) return;
    kept_ = soundFont;
    synth_.preferSoundFont(kept_);
}

void SoundFontChoice::load(const std::string& path) {
    if (path.empty()) return;
    if (load_) {
        next_ = path;
        return;
    }
    start(path);
}

void SoundFontChoice::start(const std::filesystem::path& path) {
    const ChannelMirror* channels = &synth_.channels();
    // The programs the channels use have their samples read here, not by the thread that
    // sends when the new engine takes over.
    load_ = std::make_unique<EngineLoad>(path, synth_.configFor(path), [channels](SynthEngine& e) {
        channels->replay([&e](uint32_t message) { e.play(message); }, true);
    });
}

bool SoundFontChoice::busy() const {
    return load_ != nullptr || loaded_ != nullptr || (!startTold_ && !synth_.loadFailure().empty());
}

SoundFontNews SoundFontChoice::tick() {
    if (!startTold_ && !synth_.loadFailure().empty()) {
        startTold_ = true;
        return {.kind = SoundFontNews::Kind::Refused,
                .path = kept_.string(),
                .reason = synth_.loadFailure()};
    }
    if (!load_) return {};
    const std::string path = load_->path().string();
    if (!load_->finished())
        return {
            .kind = SoundFontNews::Kind::Loading, .path = path, .bytesRead = load_->bytesRead()};
    if (!loaded_) {
        loaded_ = load_->take();
        if (!next_.empty()) {
            // A later choice wins.
            std::vector<std::unique_ptr<SynthEngine>> superseded;
            superseded.push_back(std::move(loaded_));
            release_.release(std::move(superseded));
            load_.reset();
            const std::filesystem::path next = std::exchange(next_, {});
            start(next);
            return {.kind = SoundFontNews::Kind::Loading, .path = next.string()};
        }
        if (!loaded_) {
            SoundFontNews news{
                .kind = SoundFontNews::Kind::Refused, .path = path, .reason = load_->failure()};
            load_.reset();
            return news;
        }
    }
    // Every place may still be taken by engines ringing out: then it waits a tick.
    if (!synth_.offer(loaded_, load_->path()))
        return {
            .kind = SoundFontNews::Kind::Loading, .path = path, .bytesRead = load_->bytesRead()};
    loaded_.reset();
    load_.reset();
    return {.kind = SoundFontNews::Kind::Loaded, .path = path};
}

void SoundFontChoice::setEffects(bool reverb, bool chorus) {
    synth_.setEffects(reverb, chorus);
}

std::string SoundFontChoice::soundFont() const {
    return synth_.soundFont().string();
}

SynthSound SoundFontChoice::currentSound() const {
    SynthSound sound;
    const std::filesystem::path path = synth_.soundFontAhead();
    sound.soundFont = path.string();
    if (!path.empty()) sound.gain = synthGainFor(path);
    sound.reverb = synth_.reverb();
    sound.chorus = synth_.chorus();
    sound.sampleRate = synth_.configFor(path).sampleRate;
    return sound;
}

}  // namespace tonvel
