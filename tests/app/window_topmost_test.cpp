#include <gtest/gtest.h>

#include <QBitmap>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include "app/topmost.h"

#ifdef TONVEL_HAVE_X11
#include <QGuiApplication>
// After Qt: Xlib's macros would break Qt's headers.
#include <X11/Xlib.h>
#endif

namespace tonvel {
namespace {

bool flagged(QWidget& w) {
    return w.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

TEST(WindowTopmost, TogglingKeepsPlaceSizeShapeAndVisibility) {
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 50, 522, 251);
    window.setMask(QRegion(10, 0, 500, 251));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.geometry();
    const QWindow* handle = window.windowHandle();

    for (bool on : {true, true, false, false, true}) {
        setTopmost(&window, on);
        QCoreApplication::processEvents();
        EXPECT_EQ(flagged(window), on);
        ASSERT_EQ(window.windowHandle(), handle);  // not recreated, so no flicker
        EXPECT_EQ(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint), on);
        EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.geometry(), before);
        EXPECT_EQ(window.mask(), QRegion(10, 0, 500, 251));
    }
}

TEST(WindowTopmost, HiddenWindowIsShownWithTheFlag) {
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(30, 40, 120, 60);
    setTopmost(&window, true);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(flagged(window));
    EXPECT_EQ(window.geometry(), QRect(30, 40, 120, 60));
    window.hide();
    setTopmost(&window, false);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(flagged(window));
}

#ifdef TONVEL_HAVE_X11
// With a window manager running, the change must reach it as a _NET_WM_STATE request for
// the mapped window; a stand-in listens on the root window for it.
TEST(WindowTopmost, MappedX11WindowAsksTheWindowManagerToKeepItAbove) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "not on X11";
    Display* listener = XOpenDisplay(nullptr);
    ASSERT_NE(listener, nullptr);
    const Window root = DefaultRootWindow(listener);
    XSelectInput(listener, root, StructureNotifyMask);
    XSync(listener, False);
    const Atom state = XInternAtom(listener, "_NET_WM_STATE", False);
    const Atom above = XInternAtom(listener, "_NET_WM_STATE_ABOVE", False);

    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(20, 20, 100, 60);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const Window id = Window(window.winId());

    // Creating the window already sent a request; only what follows a change counts.
    auto drain = [&] {
        QTest::qWait(50);
        XSync(listener, False);
        while (XPending(listener)) {
            XEvent e;
            XNextEvent(listener, &e);
        }
    };
    auto requested = [&](bool on) {
        for (int tries = 0; tries < 100; ++tries) {
            while (XPending(listener)) {
                XEvent e;
                XNextEvent(listener, &e);
                if (e.type == ClientMessage && e.xclient.window == id &&
                    e.xclient.message_type == state && Atom(e.xclient.data.l[1]) == above)
                    return e.xclient.data.l[0] == (on ? 1 : 0);  // _NET_WM_STATE_ADD, _REMOVE
            }
            QTest::qWait(10);
        }
        return false;
    };
    for (bool on : {true, false}) {
        drain();
        setTopmost(&window, on);
        EXPECT_TRUE(requested(on)) << on;
        EXPECT_EQ(Window(window.winId()), id);  // changed in place, not recreated
    }
    EXPECT_EQ(window.geometry(), QRect(20, 20, 100, 60));
    XCloseDisplay(listener);
}
#endif

}  // namespace
}  // namespace tonvel
