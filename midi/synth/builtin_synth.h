#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "midi/midi_system.h"
#include "midi/synth/audio_output.h"
#include "midi/synth/background_release.h"
#include "midi/synth/engine_handover.h"
#include "midi/synth/soundfont_locator.h"
#include "midi/synth/synth_engine.h"

namespace tonvel {

// The built-in synthesizer as a MIDI output. The SoundFont is loaded at the first
// open and kept until another is offered (offer()), which takes over while music plays.
// Closing silences every voice and refuses messages, but keeps the audio stream: the window
// closes and reopens the output at every refresh, and a new stream can take hundreds of
// milliseconds to sound. The stream stops when another output takes over (stopAudio) or at
// the end.
class BuiltinSynth {
  public:
    // The gain in config is replaced by the level chosen for the SoundFont found.
    BuiltinSynth(SoundFontSearch search, std::unique_ptr<AudioOutput> audio,
                 SynthConfig config = {});
    ~BuiltinSynth();
    BuiltinSynth(const BuiltinSynth&) = delete;
    BuiltinSynth& operator=(const BuiltinSynth&) = delete;

    bool open();
    void close();
    void stopAudio();
    bool isOpen() const { return open_; }
    // False unless open. The message must be sendable (isSendableShortMessage).
    bool send(uint32_t message);
    // As send, from the thread that sends: Busy for a moment while prepare() works.
    SendResult trySend(uint32_t message);
    // Before a program change is handed to the thread that sends: reads its program's samples.
    // From the window's thread; anything else is left alone.
    void prepare(uint32_t message);

    AudioStatus audioStatus() const { return audio_->status(); }
    // The engine that plays; null before the first successful load.
    SynthEngine* engine() const { return handover_.playing(); }
    int soundFontLoads() const { return soundFontLoads_; }

    // Before the first open: the SoundFont to load first, ahead of the search's. When it does
    // not load, the search's is loaded, and loadFailure() tells why.
    void preferSoundFont(const std::filesystem::path& path);
    // Why the preferred SoundFont did not load at the first open; empty when it did, or was
    // not tried.
    const std::string& loadFailure() const { return loadFailure_; }
    // The SoundFont of the newest engine; empty before the first load.
    const std::filesystem::path& soundFont() const { return soundFont_; }
    // The SoundFont of the newest engine, or before the first load the one it would try first.
    std::filesystem::path soundFontAhead() const;
    // How an engine for `soundFont` is made, effects included (see setEffects).
    SynthConfig configFor(const std::filesystem::path& soundFont) const;
    bool reverb() const { return reverb_; }
    bool chorus() const { return chorus_; }
    // For every engine from now on and those there are.
    void setEffects(bool reverb, bool chorus);
    // Applies the effects chosen to an engine made elsewhere.
    void applyEffects(SynthEngine& engine) const;
    // An engine loaded elsewhere for `soundFont`, to take over at the next message. False, and
    // `engine` kept, while older engines still ring out in every place there is.
    bool offer(std::unique_ptr<SynthEngine>& engine, const std::filesystem::path& soundFont);
    // What the channels were told, for an engine loaded elsewhere to start from.
    const ChannelMirror& channels() const { return handover_.mirror(); }
    // Lets go of engines no longer heard, freed away from the window's thread. From the
    // window's thread, now and then.
    void collect();

  private:
    bool ensureLoaded();

    SoundFontSearch search_;
    SynthConfig config_;
    std::filesystem::path preferred_;
    std::filesystem::path soundFont_;
    std::string loadFailure_;
    bool reverb_ = true;
    bool chorus_ = true;
    BackgroundRelease release_;
    // Declared before the audio output so that the output, whose thread renders from
    // the engines, is destroyed first.
    EngineHandover handover_;
    std::unique_ptr<AudioOutput> audio_;
    bool loadAttempted_ = false;
    int soundFontLoads_ = 0;
    bool open_ = false;
    bool audioRunning_ = false;
};

}  // namespace tonvel
