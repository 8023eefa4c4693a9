#pragma once

#include <cstdint>
#include <string>

namespace tonvel {

// How a SoundFont's load goes, as the window hears of it.
struct SoundFontNews {
    enum class Kind { None, Loading, Loaded, Refused };
    Kind kind = Kind::None;
    std::string path;
    uint64_t bytesRead = 0;  // while loading
    std::string reason;      // when refused
};

// The built-in synthesizer's sound as the player chooses it: a SoundFont of their own, reverb
// and chorus.
class SoundChoice {
  public:
    virtual ~SoundChoice() = default;
    // Before the synthesizer first sounds: the SoundFont kept from an earlier run (empty for the
    // system's) and the effects. A SoundFont given for this run when the program started is
    // loaded instead of the kept one.
    virtual void startWith(const std::string& soundFont, bool reverb, bool chorus) = 0;
    // Starts making `path` the synthesizer's SoundFont, away from the window's thread; what
    // sounds goes on meanwhile. A choice made while another loads is loaded after it, and wins.
    virtual void load(const std::string& path) = 0;
    // Whether there is news to look for with tick(): a load under way, or an end not told yet.
    virtual bool busy() const = 0;
    // From the window's thread, while busy(): how a load goes, then, once, how it ended.
    virtual SoundFontNews tick() = 0;
    virtual void setEffects(bool reverb, bool chorus) = 0;
    // The SoundFont that sounds, or will at the next note; empty when none was found.
    virtual std::string soundFont() const = 0;
};

}  // namespace tonvel
