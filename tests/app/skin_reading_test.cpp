#include <gtest/gtest.h>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <string>

#include "resources/skin/skin_resources.h"
#include "resources/skin_layout.h"

namespace tonvel::skin {
namespace {

bool imagePluginLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly)) return false;
    return maps.readAll().contains("/imageformats/");
}

// Qt asks every image format plugin about a picture it must recognise by itself, and so loads
// them all (SVG with its library, JPEG, GIF, ICO): the skin is read without them.
TEST(SkinReading, ReadsEveryPictureWithoutQtsImagePlugins) {
    initResources();
    if (imagePluginLoaded()) GTEST_SKIP() << "an earlier test in this process loaded them";
    struct Picture {
        const char* path;
        QSize size;
    };
    for (const Picture& p :
         {Picture{kPianoPicture, {kWidth, kHeight}}, Picture{kSplashPicture, {308, 204}},
          Picture{kVolumePointerNormal, {}}, Picture{kProgramIcon, {}}}) {
        const QImage plain = image(QString::fromLatin1(p.path));
        ASSERT_FALSE(plain.isNull()) << p.path;
        if (p.size.isValid()) {
            EXPECT_EQ(plain.size(), p.size) << p.path;
        }
        const QPixmap sharp = pixmap(QString::fromLatin1(p.path), 2);
        EXPECT_EQ(sharp.size(), plain.size() * 2) << p.path;
        EXPECT_EQ(sharp.deviceIndependentSize().toSize(), plain.size()) << p.path;
    }
    const QIcon icon = programIcon();
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes().size(), 2) << "the icon at both densities";
    EXPECT_FALSE(imagePluginLoaded());
}

}  // namespace
}  // namespace tonvel::skin
