#pragma once

#include <array>
#include <memory>
#include <string>

#include "foundation/controls.h"
#include "mixer/mixer_device.h"
#include "mixer/volume_control.h"

namespace tonvel {

class frmPiano;

// What the splash does to the rest of the program.
class SplashHost {
  public:
    virtual ~SplashHost() = default;
    // The main window, created and loaded on first use.
    virtual frmPiano& mainWindow() = 0;
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
