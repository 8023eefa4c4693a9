#include "app/window_shape.h"

#include <QBitmap>
#include <QWidget>

namespace tonvel {
namespace {

// Comparing opaque RGB32 pixels makes the alpha of the picture and of the key irrelevant.
QImage opaque(const QImage& picture) {
    return picture.convertToFormat(QImage::Format_RGB32);
}

QRgb opaqueKey(QRgb key) {
    return key | 0xff000000u;
}

}  // namespace

QRegion keyColourRegion(const QImage& picture, QRgb key) {
    if (picture.isNull()) return {};
    const QImage rgb = opaque(picture);
    // MaskInColor marks the key-coloured pixels, and a region made from a bitmap keeps
    // the unmarked ones: the polarity is checked pixel for pixel by the tests.
    const QBitmap marked =
        QBitmap::fromImage(rgb.createMaskFromColor(opaqueKey(key), Qt::MaskInColor));
    return QRegion(marked);
}

QRegion keyColourRegionPerPixel(const QImage& picture, QRgb key) {
    const QImage rgb = opaque(picture);
    const QRgb k = opaqueKey(key);
    QRegion region(rgb.rect());
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            if (line[x] == k) region -= QRegion(x, y, 1, 1);
    }
    return region;
}

void applyKeyColourRegion(QWidget* window, const QImage& picture, QRgb key) {
    if (!window) return;
    const QRegion uncovered = QRegion(window->rect()) - QRegion(picture.rect());
    window->setMask(keyColourRegion(picture, key) + uncovered);
}

QImage keyColourTransparent(const QImage& picture, QRgb key) {
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb k = opaqueKey(key);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] | 0xff000000u) == k) line[x] = 0;
    }
    return out;
}

QPixmap keyColourTransparent(const QPixmap& picture, QRgb key) {
    if (picture.isNull()) return picture;
    QPixmap out = QPixmap::fromImage(keyColourTransparent(picture.toImage(), key));
    out.setDevicePixelRatio(picture.devicePixelRatio());
    return out;
}

}  // namespace tonvel
