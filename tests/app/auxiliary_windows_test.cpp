#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <functional>

#include "app/about_window.h"
#include "app/update_window.h"
#include "fakes/recording_services.h"
#include "resources/skin/skin_resources.h"

namespace tonvel {
namespace {

// Waits the way a slow server makes the real fetch wait: events keep running.
class WaitingFetch : public HttpFetch {
  public:
    std::function<bool()> answered;
    std::function<void()> meanwhile;
    FetchResult get(const std::string&) override {
        QElapsedTimer waited;
        waited.start();
        while (!answered() && waited.elapsed() < 5000) QTest::qWait(5);
        if (meanwhile) meanwhile();
        return {"1.1", ""};
    }
};

class AuxiliaryWindowsTest : public ::testing::Test {
  protected:
    void SetUp() override { skin::initResources(); }

    testing::RecordingDialogs dialogs;
    testing::RecordingShell shell;
    WaitingFetch http;
};

QPoint centreOf(const Rect& r) {
    return {r.left + r.width / 2, r.top + r.height / 2};
}

TEST_F(AuxiliaryWindowsTest, EscapeClosesTheAboutBox) {
    AboutWindow window(dialogs, shell, "/opt/tonvel", nullptr);
    window.show();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.model().closed);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(AuxiliaryWindowsTest, ClickingShowLicenseOpensTheLicenceAndCloses) {
    AboutWindow window(dialogs, shell, "/opt/tonvel", nullptr);
    window.show();
    QTest::mouseClick(&window, Qt::LeftButton, {}, centreOf(window.model().BL[1].rect));
    EXPECT_EQ(shell.documents, std::vector<std::string>{"/opt/tonvel/license.txt"});
    EXPECT_FALSE(window.isVisible());
}

TEST_F(AuxiliaryWindowsTest, AboutBoxPaintsItsEdgeGradientAndSeparator) {
    AboutWindow window(dialogs, shell, "/opt/tonvel", nullptr);
    const QImage shot = window.grab().toImage();
    ASSERT_EQ(shot.size() / shot.devicePixelRatio(), QSize(300, 128));
    const auto at = [&](int x, int y) {
        const qreal ratio = shot.devicePixelRatio();
        return QColor(shot.pixel(qRound(x * ratio), qRound(y * ratio)));
    };
    EXPECT_EQ(at(0, 0), QColor(Qt::black));
    EXPECT_EQ(at(299, 127), QColor(Qt::black));
    EXPECT_EQ(at(100, 126), QColor(241, 181, 171));
    EXPECT_EQ(at(100, 90), QColor(128, 0, 0));
    EXPECT_EQ(at(250, 60), QColor(255, 214, 204));
}

TEST_F(AuxiliaryWindowsTest, EscapeLeavesTheUpdateWindowOpenAndXCloses) {
    UpdateWindow window(dialogs, shell, http, nullptr);
    window.show();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(window.isVisible());
    QTest::keyClick(&window, Qt::Key_X);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(AuxiliaryWindowsTest, TimeoutTicksWhileTheFetchWaitsAndTheWindowStaysOpen) {
    UpdateWindow window(dialogs, shell, http, nullptr);
    window.model().tmrTimeout.interval = 2;
    window.show();
    http.answered = [&] { return window.model().lblUpdate.caption == "Timeout!"; };
    bool openMeanwhile = false;
    http.meanwhile = [&] {
        QTest::keyClick(&window, Qt::Key_X);
        QTest::keyClick(&window, Qt::Key_Escape);
        window.close();
        openMeanwhile = window.isVisible();
    };
    QTest::keyClick(&window, Qt::Key_U);
    EXPECT_TRUE(openMeanwhile);
    EXPECT_EQ(window.model().tmrTimeout_Tag, "10");
    EXPECT_EQ(window.model().lblUpdate.caption, "1.1");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, ":: Minor Update Available ::");
    EXPECT_TRUE(window.isVisible());
    window.close();
    EXPECT_FALSE(window.isVisible()) << "closes again once the check is over";
}

TEST_F(AuxiliaryWindowsTest, DialogPicturesHaveTheirSizesAndSharpSiblings) {
    const struct {
        const char* path;
        QSize size;
    } pictures[] = {
        {skin::kButtonFaceNormal, {136, 21}}, {skin::kButtonFaceHighlighted, {136, 21}},
        {skin::kCloseButtonNormal, {19, 19}}, {skin::kCloseButtonHighlighted, {19, 19}},
        {skin::kProgramIcon, {32, 32}},
    };
    for (const auto& p : pictures) {
        QString large = QString::fromLatin1(p.path);
        large.insert(large.lastIndexOf('.'), QStringLiteral("@2x"));
        EXPECT_EQ(QImage(QString::fromLatin1(p.path)).size(), p.size) << p.path;
        EXPECT_EQ(QImage(large).size(), p.size * 2) << p.path;
    }
}

}  // namespace
}  // namespace tonvel
