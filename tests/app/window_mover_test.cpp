#include "app/window_mover.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

namespace tonvel {
namespace {

void sendMouse(QWidget* w, QEvent::Type type, QPoint global, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(w->mapFromGlobal(global)), QPointF(global), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

// Without a window manager the window follows the pointer itself; that is the case off
// screen and under a bare X server.
TEST(WindowMover, WindowFollowsThePointerUntilTheLeftButtonIsReleased) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        GTEST_SKIP() << "a window manager may run the move itself";
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(100, 80, 200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPoint start(150, 120);
    QCursor::setPos(start);
    ASSERT_EQ(QCursor::pos(), start);

    startWindowMove(&window, Qt::LeftButton);
    startWindowMove(&window, Qt::LeftButton);  // a second start while dragging changes nothing
    sendMouse(&window, QEvent::MouseMove, start + QPoint(30, -20), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(130, 60));
    sendMouse(&window, QEvent::MouseMove, start + QPoint(-5, 7), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(95, 87));
    // Other buttons do not end the drag, the left one does.
    sendMouse(&window, QEvent::MouseButtonRelease, start, Qt::RightButton, Qt::LeftButton);
    sendMouse(&window, QEvent::MouseMove, start + QPoint(10, 10), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(110, 90));
    sendMouse(&window, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    sendMouse(&window, QEvent::MouseMove, start + QPoint(50, 50), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(110, 90));
}

// The window's other children (its accessibility, for one) are no drag already running.
TEST(WindowMover, OtherChildrenOfTheWindowDoNotStopTheMove) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        GTEST_SKIP() << "a window manager may run the move itself";
    QWidget window(nullptr, Qt::FramelessWindowHint);
    new QObject(&window);
    window.setGeometry(100, 80, 200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCursor::setPos(150, 120);
    startWindowMove(&window, Qt::LeftButton);
    sendMouse(&window, QEvent::MouseMove, QPoint(230, 180), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(window.pos(), QPoint(180, 140));
    sendMouse(&window, QEvent::MouseButtonRelease, QPoint(230, 180), Qt::LeftButton, Qt::NoButton);
}

TEST(WindowMover, MoveWithoutTheLeftButtonHeldEndsAtOnce) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        GTEST_SKIP() << "a window manager may run the move itself";
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(10, 10, 50, 50);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCursor::setPos(20, 20);
    startWindowMove(&window, Qt::LeftButton);
    EXPECT_EQ(QWidget::mouseGrabber(), &window);
    sendMouse(&window, QEvent::MouseMove, QPoint(40, 40), Qt::NoButton, Qt::RightButton);
    EXPECT_EQ(window.pos(), QPoint(10, 10));
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

// With the right or middle button a window manager would carry the window on a bare pointer
// until the next left click.
TEST(WindowMover, OtherButtonsDoNotStartAMove) {
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(10, 10, 50, 50);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (const Qt::MouseButtons held :
         {Qt::MouseButtons(Qt::RightButton), Qt::MouseButtons(Qt::MiddleButton),
          Qt::MouseButtons(Qt::NoButton)}) {
        startWindowMove(&window, held);
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << held.toInt();
        sendMouse(&window, QEvent::MouseMove, QPoint(40, 40), Qt::NoButton, held);
        EXPECT_EQ(window.pos(), QPoint(10, 10)) << held.toInt();
    }
}

}  // namespace
}  // namespace tonvel
