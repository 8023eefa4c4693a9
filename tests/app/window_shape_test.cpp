#include "app/window_shape.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>
#include <string>
#include <vector>

#include "resources/skin/skin_resources.h"
#include "resources/skin_layout.h"

namespace tonvel {
namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBody = qRgb(40, 44, 60);

// Pictures drawn as text: '#' body, '.' key colour, '~' nearly white, 'o' key colour with
// zero alpha.
QImage picture(const std::vector<std::string>& rows) {
    QImage image(int(rows[0].size()), int(rows.size()), QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const char c = rows[y][x];
            image.setPixel(x, y,
                           c == '.'   ? kWhite
                           : c == '~' ? qRgb(254, 255, 255)
                           : c == 'o' ? qRgba(255, 255, 255, 0)
                                      : kBody);
        }
    return image;
}

// Holds the region to the definition: inside exactly where the pixel is not the key.
void expectShape(const QRegion& region, const QImage& image, const std::string& what) {
    EXPECT_TRUE(image.rect().contains(region.boundingRect()) || region.isEmpty()) << what;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool key = (image.pixel(x, y) & 0xffffff) == (kWhite & 0xffffff);
            ASSERT_EQ(region.contains(QPoint(x, y)), !key) << what << " at " << x << "," << y;
        }
}

struct ShapeCase {
    const char* name;
    std::vector<std::string> rows;
};

TEST(WindowShape, RegionLeavesOutExactlyTheKeyColouredPixels) {
    const std::vector<ShapeCase> cases = {
        {"no key pixel", {"#####", "#####", "#####"}},
        {"key along the edges", {"..#..", ".###.", "#####", "##..."}},
        {"enclosed holes", {"######", "#.##.#", "#..###", "######"}},
        {"everything key", {"...", "..."}},
        {"checkerboard", {"#.#.#.", ".#.#.#", "#.#.#.", ".#.#.#"}},
        {"nearly white stays", {"~~.", "~.~"}},
        {"alpha is ignored", {"#o#", "ooo"}},
        {"one pixel", {"."}},
    };
    for (const ShapeCase& c : cases) {
        const QImage image = picture(c.rows);
        expectShape(keyColourRegion(image, kWhite), image, std::string(c.name) + " (Qt)");
        expectShape(keyColourRegionPerPixel(image, kWhite), image,
                    std::string(c.name) + " (per pixel)");
    }
}

TEST(WindowShape, KeyAlphaIsIgnoredAndOtherKeysWork) {
    const QImage image = picture({"#.#", "...", "###"});
    EXPECT_EQ(keyColourRegion(image, qRgba(255, 255, 255, 0)), keyColourRegion(image, kWhite));
    const QRegion bodyCut = keyColourRegion(image, kBody);
    EXPECT_TRUE(bodyCut.contains(QPoint(1, 0)));
    EXPECT_FALSE(bodyCut.contains(QPoint(0, 0)));
    EXPECT_EQ(keyColourRegion(QImage(), kWhite), QRegion());
}

TEST(WindowShape, WindowGetsThePictureShapeAndKeepsUncoveredArea) {
    const QImage image = picture({"..##", "####"});
    QWidget window;
    window.resize(6, 3);
    applyKeyColourRegion(&window, image, kWhite);
    const QRegion mask = window.mask();
    EXPECT_FALSE(mask.contains(QPoint(0, 0)));
    EXPECT_FALSE(mask.contains(QPoint(1, 0)));
    EXPECT_TRUE(mask.contains(QPoint(2, 0)));
    EXPECT_TRUE(mask.contains(QPoint(5, 0)));  // right of the picture
    EXPECT_TRUE(mask.contains(QPoint(0, 2)));  // below it
    EXPECT_EQ(mask.boundingRect(), QRect(0, 0, 6, 3));
}

// Where the desktop composes windows the shape is drawn: transparent exactly outside it, at
// the picture's own density.
TEST(WindowShape, TransparentPixelsAreExactlyTheKeyColouredOnes) {
    const QImage image = picture({"..##~", "#o#.#", "~~~.."});
    const QImage seen = keyColourTransparent(image, kWhite);
    const QRegion shape = keyColourRegion(image, kWhite);
    ASSERT_EQ(seen.size(), image.size());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool in = shape.contains(QPoint(x, y));
            EXPECT_EQ(qAlpha(seen.pixel(x, y)), in ? 255 : 0) << x << "," << y;
            if (in) {
                EXPECT_EQ(seen.pixel(x, y), image.pixel(x, y)) << x << "," << y;
            }
        }
    QPixmap dense = QPixmap::fromImage(image.scaled(10, 6));
    dense.setDevicePixelRatio(2);
    const QPixmap drawn = keyColourTransparent(dense, kWhite);
    EXPECT_EQ(drawn.devicePixelRatio(), 2);
    EXPECT_EQ(drawn.size(), dense.size());
    EXPECT_EQ(qAlpha(drawn.toImage().pixel(1, 1)), 0);
}

TEST(WindowShape, SkinShapeHoldsEveryControlAndCutsTheCorners) {
    skin::initResources();
    const QImage piano(skin::kPianoPicture);
    ASSERT_FALSE(piano.isNull());
    const QRegion shape = keyColourRegion(piano, kWhite);
    EXPECT_EQ(shape, keyColourRegionPerPixel(piano, kWhite));
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(skin::kWidth - 1, 0), QPoint(0, skin::kHeight - 1),
          QPoint(skin::kWidth - 1, skin::kHeight - 1)})
        EXPECT_FALSE(shape.contains(corner)) << corner.x() << "," << corner.y();
    std::vector<skin::Rect> places(skin::kWindowButtons.begin(), skin::kWindowButtons.end());
    places.insert(places.end(),
                  {skin::kStatusLine, skin::kKeyCover, skin::kVolumeHitArea, skin::kTempoHitArea});
    for (const skin::Rect& r : places) {
        const QRect rect(r.left, r.top, r.width, r.height);
        EXPECT_EQ(shape.intersected(rect), QRegion(rect))
            << r.left << "," << r.top << " " << r.width << "x" << r.height;
    }
}

}  // namespace
}  // namespace tonvel
