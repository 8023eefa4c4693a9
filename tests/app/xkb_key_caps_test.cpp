#include "app/xkb_key_caps.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#ifdef TONVEL_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace tonvel {
namespace {

class LayoutChanges : public QObject {
  public:
    int count = 0;
    bool event(QEvent* event) override {
        if (event->type() == QEvent::KeyboardLayoutChange) ++count;
        return QObject::event(event);
    }
};

bool setLayout(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("setxkbmap"), arguments) == 0;
}

TEST(XkbKeyCaps, WithoutAnXServerNothingIsKnown) {
    if (QGuiApplication::platformName() == QLatin1String("xcb")) GTEST_SKIP() << "an X server";
    LayoutChanges window;
    XkbKeyCaps caps(&window);
    EXPECT_FALSE(caps.connected());
    EXPECT_EQ(caps.legend('Z'), "");
}

#ifdef TONVEL_HAVE_X11
// Changes the keyboard of the X server the tests run on, and puts US back at the end.
TEST(XkbKeyCaps, FollowsTheServersLayoutAndGroupLive) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "needs X";
    if (QStandardPaths::findExecutable(QStringLiteral("setxkbmap")).isEmpty())
        GTEST_SKIP() << "needs setxkbmap";
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(setLayout({QStringLiteral("us")}));
    LayoutChanges window;
    XkbKeyCaps caps(&window);
    ASSERT_TRUE(caps.connected());
    EXPECT_EQ(caps.legend('Z'), "Z");

    struct Step {
        QStringList layout;  // empty: keep the keymap
        int group;           // -1: leave the group alone
        const char* z;
        const char* semicolon;
    };
    const Step steps[] = {
        {{QStringLiteral("fr")}, -1, "W", "M"},
        {{QStringLiteral("de")}, -1, "Y", "\u00D6"},
        {{QStringLiteral("-layout"), QStringLiteral("us,de")}, 0, "Z", ";"},
        {{}, 1, "Y", "\u00D6"},
        {{}, 0, "Z", ";"},
    };
    for (const Step& step : steps) {
        const int before = window.count;
        if (!step.layout.isEmpty()) {
            ASSERT_TRUE(setLayout(step.layout));
        }
        if (step.group >= 0) {
            XkbLockGroup(display, XkbUseCoreKbd, static_cast<unsigned>(step.group));
            XFlush(display);
        }
        const auto shown = [&] {
            return caps.legend('Z') == step.z && caps.legend(186) == step.semicolon &&
                   window.count > before;
        };
        EXPECT_TRUE(QTest::qWaitFor(shown, 3000))
            << step.layout.join(' ').toStdString() << " group " << step.group << ": Z shows "
            << caps.legend('Z') << ", semicolon " << caps.legend(186) << ", "
            << window.count - before << " change events";
    }
    setLayout({QStringLiteral("us")});
    XCloseDisplay(display);
}
#endif

}  // namespace
}  // namespace tonvel
