#include "resources/skin/generator/skin_picture.h"

#include <QPainter>

#include "resources/skin/generator/body.h"
#include "resources/skin/generator/controls.h"
#include "resources/skin/generator/keyboard.h"
#include "resources/skin/generator/outline.h"
#include "resources/skin/generator/paint_kit.h"

namespace tonvel::skin::art {

QImage mainSkin(int scale) {
    QImage art(kWidth * scale, kHeight * scale, QImage::Format_ARGB32_Premultiplied);
    art.fill(colour::kRim);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(scale, scale);
    paintBody(p);
    paintKeyboard(p);
    paintControls(p);
    p.end();

    const QImage mask = outlineMask();
    QImage skin = art.convertToFormat(QImage::Format_RGB32);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb nearlyWhite = qRgb(254, 254, 254);
    for (int y = 0; y < skin.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(skin.scanLine(y));
        const uchar* inside = mask.constScanLine(y / scale);
        for (int x = 0; x < skin.width(); ++x) {
            if (!inside[x / scale])
                line[x] = white;
            else if (line[x] == white)  // would become a hole in the window
                line[x] = nearlyWhite;
        }
    }
    skin.setDevicePixelRatio(scale);
    return skin;
}

}  // namespace tonvel::skin::art
