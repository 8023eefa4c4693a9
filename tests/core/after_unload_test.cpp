#include <functional>
#include <ostream>
#include <string>

#include "fakes/piano_fixture.h"

namespace tonvel {
namespace {

constexpr int kCtrlKey = 17, kF5 = 116, Z = 'Z', R = 'R';

struct LateCall {
    const char* name;
    // True: the program ends while the call waits in a menu, box or window it opened.
    bool endsMeanwhile;
    std::function<void(frmPiano&, testing::RecordingDialogs&)> call;
    friend void PrintTo(const LateCall& late, std::ostream* out) { *out << late.name; }
};

// Once the window is unloaded, whatever still reaches it does nothing: a timer's last tick, a
// key, a menu's choice, or the code after a menu, box or window that was open at the end.
class AfterUnload : public testing::PianoFixture, public ::testing::WithParamInterface<LateCall> {
  protected:
    void unload() {
        piano->Form_QueryUnload();
        piano->Form_Unload();
        midi.clearSent();
        dialogs.messages.clear();
        window.topmostCalls.clear();
        caption = piano->PCap.caption;
    }
    std::string caption;
};

TEST_P(AfterUnload, NothingActs) {
    start();
    // A rhythm playing and the window on top: a late tick or a closed box would act.
    tap(kF5);
    piano->Butt_Click(4);
    if (GetParam().endsMeanwhile) {
        dialogs.whileMenuOpen = dialogs.whileBoxOpen = windows.whileShown = [this] { unload(); };
    } else {
        unload();
    }
    GetParam().call(*piano, dialogs);
    ASSERT_TRUE(piano->isUnloaded());
    EXPECT_EQ(midi.sentHex(), std::vector<std::string>{});
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(window.topmostCalls, std::vector<bool>{});
    EXPECT_EQ(piano->PCap.caption, caption);
}

INSTANTIATE_TEST_SUITE_P(
    Exit, AfterUnload,
    ::testing::Values(LateCall{"RhythmTick", false, [](frmPiano& p, auto&) { p.tmrBeat_Timer(); }},
                      LateCall{"PianoKey", false,
                               [](frmPiano& p, auto&) {
                                   p.keyPressed(Z, 0);
                                   p.keyReleased(Z, 0);
                               }},
                      LateCall{"CtrlR", false,
                               [](frmPiano& p, auto&) {
                                   p.keyPressed(kCtrlKey, kCtrlMask);
                                   p.keyPressed(R, kCtrlMask);
                               }},
                      LateCall{"MenuChoice", false,
                               [](frmPiano& p, auto&) {
                                   p.menuChosen({"mnuPiano", 40});
                               }},
                      LateCall{"MenuOpenAtTheEnd", true,
                               [](frmPiano& p, testing::RecordingDialogs& d) {
                                   d.menuAnswers.push_back(MenuChoice{"mnuPiano", 40});
                                   p.lblInstrument_Click();
                               }},
                      LateCall{"ChannelBoxOpenAtTheEnd", true,
                               [](frmPiano& p, testing::RecordingDialogs& d) {
                                   d.inputAnswers.push_back("41");
                                   p.ChNum_Click();
                               }},
                      LateCall{"AboutBoxOpenAtTheEnd", true,
                               [](frmPiano& p, auto&) { p.mnu_about_Click(); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tonvel
