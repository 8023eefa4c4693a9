#include "resources/skin/generator/desktop_icon.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>
#include <cstdio>

#include "resources/skin/generator/paint_kit.h"

namespace tonvel::skin::art {
namespace {

constexpr qreal kCanvas = 64;

// The program icon's motif, the gold initial over a short lit keyboard on a piece of the
// body, redrawn on a 64-unit canvas with the margin desktop icons keep.
void paintDesktopIcon(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(4, 4, 56, 56);
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kRim);
    p.drawRoundedRect(tile, 11, 11);
    const QRectF body = tile.adjusted(1.5, 1.5, -1.5, -1.5);
    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0, colour::kBodyTop);
    shade.setColorAt(0.55, colour::kBodyMiddle);
    shade.setColorAt(1, colour::kBodyBottom);
    p.setBrush(shade);
    p.drawRoundedRect(body, 9.5, 9.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(226, 230, 236, 110), 1));
    p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), 9, 9);

    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(32);
    f.setBold(true);
    f.setItalic(true);
    QPainterPath initial;
    initial.addText(0, 0, f, QStringLiteral("T"));
    const QRectF box = initial.boundingRect();
    initial.translate(kCanvas / 2 - box.center().x(), 9 - box.top());
    goldText(p, initial, 1.5);

    const QRectF bed(10, 37, 44, 17);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(9, 8, 9));
    p.drawRoundedRect(bed.adjusted(-1, -1, 1, 1), 2, 2);
    p.fillRect(QRectF(bed.left(), bed.top(), bed.width(), 1.5), colour::kFelt);
    constexpr int kWhiteKeys = 5;
    const qreal keyWidth = bed.width() / kWhiteKeys;
    for (int k = 0; k < kWhiteKeys; ++k) {
        const QRectF key(bed.left() + k * keyWidth + 0.4, bed.top() + 1.5, keyWidth - 0.8,
                         bed.height() - 1.5);
        const bool lit = k == 2;
        QLinearGradient ivory(key.topLeft(), key.bottomLeft());
        ivory.setColorAt(0, lit ? QColor(255, 190, 120) : colour::kIvoryTop);
        ivory.setColorAt(1, lit ? QColor(255, 128, 0) : colour::kIvoryBottom);
        p.setBrush(ivory);
        p.drawRoundedRect(key, 1.2, 1.2);
    }
    p.setBrush(QColor(20, 20, 24));
    for (int k : {1, 2, 4}) {
        const QRectF black(bed.left() + k * keyWidth - 2.6, bed.top() + 1.5, 5.2, 9);
        p.drawRoundedRect(black, 1, 1);
    }
}

bool writePng(const QDir& dir, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(size / kCanvas, size / kCanvas);
    paintDesktopIcon(p);
    p.end();
    const QString file = dir.filePath(QStringLiteral("desktop-icon-%1.png").arg(size));
    if (image.convertToFormat(QImage::Format_ARGB32).save(file, "PNG")) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
}

bool writeSvg(const QDir& dir) {
    const QString file = dir.filePath(QStringLiteral("desktop-icon.svg"));
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(QSize(int(kCanvas), int(kCanvas)));
    svg.setViewBox(QRectF(0, 0, kCanvas, kCanvas));
    svg.setTitle(QStringLiteral("Tonvel"));
    QPainter p;
    if (!p.begin(&svg)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return false;
    }
    paintDesktopIcon(p);
    return p.end();
}

}  // namespace

bool writeDesktopIcons(const QDir& dir) {
    for (int size : kDesktopIconSizes)
        if (!writePng(dir, size)) return false;
    return writeSvg(dir);
}

}  // namespace tonvel::skin::art
