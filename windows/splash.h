#pragma once

#include <array>
#include <memory>
#include <span>
#include <string>

#include "foundation/controls.h"
#include "mixer/mixer_device.h"
#include "mixer/volume_control.h"

namespace tonvel {

// The main window's key lights: one per key, and the upper one of the white keys.
struct MainWindowKeyLights {
    std::span<Shape> keys;
    std::span<Shape> upper;
};

// What the splash does to the rest of the program.
class SplashHost {
  public:
    virtual ~SplashHost() = default;
    // Creates and loads the main window on first use.
    virtual void loadMainWindow() = 0;
    virtual MainWindowKeyLights mainWindowKeyLights() = 0;
    // Cuts the main window to its skin's outline; the slow step of the start.
    virtual void applyMainWindowOutline() = 0;
    virtual void showMainWindow() = 0;
    // Closes the splash window; the front end then calls Form_Unload.
    virtual void unloadSplash() = 0;
};

// The first window of a run: loads the main window behind it, sets the mixer up for the
// synthesizer, counts off its progress texts and hands over to the main window.
class splash {
  public:
    splash(SplashHost& host, MixerDevice& mixer, std::string programDirectory);

    static constexpr const char* kCaption = "Loading Piano...";
    static constexpr int kWidth = 308;  // pixels, the size of its picture
    static constexpr int kHeight = 204;

    Timer tmrPRG{false, 500};
    std::string tmrPRG_Tag = "0";  // the step counter
    std::array<Label, 2> load;
    Picture Picture1;
    // Made by the load, which opens the mixer; gone again at the unload.
    std::unique_ptr<VolumeControl> VOLCN;

    void Form_Load();
    void tmrPRG_Timer();
    void load_Change(int index);
    void Form_Unload();
    bool loaded() const { return VOLCN != nullptr; }

  private:
    void showProgress(int counter);

    SplashHost& host_;
    MixerDevice& mixer_;
    std::string programDirectory_;
};

}  // namespace tonvel
