// Texts from outside (fetched versions, names from ins.ins, port names) are shown as they are:
// an '&' in them never becomes an access key.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QTimer>

#include "app/qt_dialogs.h"
#include "app/update_window.h"
#include "fakes/fake_http_fetch.h"
#include "fakes/recording_services.h"
#include "resources/skin/skin_resources.h"

namespace tonvel {
namespace {

TEST(LiteralText, MenuCaptionsFromOutsideKeepTheirAmpersands) {
    MenuItem menu{.name = "mnuMain"};
    menu.children = {
        MenuItem{.name = "mnuPiano", .index = 0, .caption = "R&B Organ", .literalCaption = true},
        MenuItem{.name = "mnu_about", .caption = "&About\tShift+F1"},
    };
    QStringList shown;
    QTimer::singleShot(0, [&] {
        auto* open = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!open) return;
        for (const QAction* action : open->actions()) shown << action->text();
        open->close();
    });
    QtDialogs dialogs(nullptr);
    EXPECT_FALSE(dialogs.popupMenu(menu, 10, 10, false));
    // A doubled '&' is how a menu shows one; a single one would underline the next letter.
    EXPECT_EQ(shown,
              (QStringList{QStringLiteral("R&&B Organ"), QStringLiteral("&About\tShift+F1")}));
}

// The width of the ink of the published version in the update window.
int inkWidthOf(const std::string& published) {
    testing::RecordingDialogs dialogs;
    testing::RecordingShell shell;
    testing::FakeHttpFetch http;
    UpdateWindow window(dialogs, shell, http, nullptr);
    window.model().lblUpdate.caption = published;
    const Rect box = window.model().lblUpdate.rect;
    const QImage shot = window.grab().toImage().scaled(window.size());
    int left = box.left + box.width, right = box.left - 1;
    for (int y = box.top; y < box.top + box.height; ++y) {
        // The background changes from row to row; the label's right end is bare.
        const QRgb background = shot.pixel(box.left + box.width - 1, y);
        for (int x = box.left; x < box.left + box.width; ++x)
            if (shot.pixel(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    }
    return right - left + 1;
}

TEST(LiteralText, APublishedVersionWithAnAmpersandShowsIt) {
    skin::initResources();
    // Read as an access key, "0&b1" would show as "0b1" with the b underlined.
    EXPECT_GT(inkWidthOf("0&b1"), inkWidthOf("0b1") + 3);
    EXPECT_GT(inkWidthOf("0b1"), 0);
}

}  // namespace
}  // namespace tonvel
