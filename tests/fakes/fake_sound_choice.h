#pragma once

#include <deque>
#include <string>
#include <vector>

#include "midi/sound_choice.h"

namespace tonvel::testing {

// Keeps what it was asked; its news are what the test gives it, one per tick.
class FakeSoundChoice : public SoundChoice {
  public:
    void startWith(const std::string& soundFont, bool reverbOn, bool chorusOn) override {
        started.push_back(soundFont);
        reverb = reverbOn;
        chorus = chorusOn;
    }
    void load(const std::string& path) override {
        loads.push_back(path);
        loading = true;
    }
    bool busy() const override { return loading || !news.empty(); }
    SoundFontNews tick() override {
        if (news.empty()) return {};
        SoundFontNews next = news.front();
        news.pop_front();
        if (next.kind == SoundFontNews::Kind::Loaded) current = next.path;
        if (next.kind != SoundFontNews::Kind::Loading) loading = false;
        return next;
    }
    void setEffects(bool reverbOn, bool chorusOn) override {
        reverb = reverbOn;
        chorus = chorusOn;
    }
    std::string soundFont() const override { return current; }

    std::vector<std::string> started;
    std::vector<std::string> loads;
    std::deque<SoundFontNews> news;
    bool reverb = true, chorus = true, loading = false;
    std::string current = "/usr/share/sounds/sf2/GM.sf2";
};

}  // namespace tonvel::testing
