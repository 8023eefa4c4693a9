#include <gtest/gtest.h>

#include <QGuiApplication>

#include "app/numlock.h"

#ifdef TONVEL_HAVE_X11
// After Qt: Xlib's macros would break Qt's headers.
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#endif

namespace tonvel {
namespace {

TEST(WindowNumLock, DoesNothingWithoutX11) {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) GTEST_SKIP() << "on X11";
    EXPECT_FALSE(numLockIsOn());
    EXPECT_FALSE(turnNumLockOn());
    EXPECT_FALSE(numLockIsOn());
}

#ifdef TONVEL_HAVE_X11
// Drives the X server's lock state from a connection of its own, so the program's view
// is checked against the server rather than against itself.
class X11NumLock : public testing::Test {
  protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "not on X11";
        display_ = XOpenDisplay(nullptr);
        ASSERT_NE(display_, nullptr);
        mask_ = XkbKeysymToModifiers(display_, XK_Num_Lock);
        ASSERT_NE(mask_, 0u);
        XkbStateRec state;
        XkbGetState(display_, XkbUseCoreKbd, &state);
        wasOn_ = (state.locked_mods & mask_) != 0;
    }
    void TearDown() override {
        if (!display_) return;
        setServerState(wasOn_);
        XCloseDisplay(display_);
    }
    void setServerState(bool on) {
        XkbLockModifiers(display_, XkbUseCoreKbd, mask_, on ? mask_ : 0);
        XSync(display_, False);
    }
    bool serverState() {
        XkbStateRec state;
        XkbGetState(display_, XkbUseCoreKbd, &state);
        return (state.locked_mods & mask_) != 0;
    }

    Display* display_ = nullptr;
    unsigned int mask_ = 0;
    bool wasOn_ = false;
};

TEST_F(X11NumLock, SwitchesOnOnlyWhenOff) {
    setServerState(false);
    EXPECT_FALSE(numLockIsOn());
    EXPECT_TRUE(turnNumLockOn());
    EXPECT_TRUE(serverState());
    EXPECT_TRUE(numLockIsOn());
    EXPECT_FALSE(turnNumLockOn());  // already on: nothing sent
    EXPECT_TRUE(serverState());
}

TEST_F(X11NumLock, ReadsTheServersState) {
    for (bool on : {true, false, true}) {
        setServerState(on);
        EXPECT_EQ(numLockIsOn(), on);
    }
}
#endif

}  // namespace
}  // namespace tonvel
