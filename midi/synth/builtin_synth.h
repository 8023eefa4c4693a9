#pragma once

#include <cstdint>
#include <memory>

#include "midi/midi_system.h"
#include "midi/synth/audio_output.h"
#include "midi/synth/soundfont_locator.h"
#include "midi/synth/synth_engine.h"

namespace tonvel {

// The built-in synthesizer as a MIDI output. The SoundFont is loaded at the first
// open and kept for the rest of the run. Closing silences every voice and refuses
// messages, but keeps the audio stream: the window closes and reopens the output at
// every refresh, and a new stream can take hundreds of milliseconds to sound.
// The stream stops when another output takes over (stopAudio) or at the end.
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
    // Null before the first successful load.
    SynthEngine* engine() const { return engine_.get(); }
    int soundFontLoads() const { return soundFontLoads_; }

  private:
    bool ensureLoaded();

    SoundFontSearch search_;
    SynthConfig config_;
    // Declared before the audio output so that the output, whose thread renders from
    // the engine, is destroyed first.
    std::unique_ptr<SynthEngine> engine_;
    std::unique_ptr<AudioOutput> audio_;
    bool loadAttempted_ = false;
    int soundFontLoads_ = 0;
    bool open_ = false;
    bool audioRunning_ = false;
};

}  // namespace tonvel
