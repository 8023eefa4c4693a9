#include "resources/skin/generator/splash.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "resources/skin/generator/paint_kit.h"

namespace tonvel::skin::art {
namespace {

void paintBackground(QPainter& p, const QRectF& all) {
    QLinearGradient body(all.topLeft(), all.bottomLeft());
    body.setColorAt(0, colour::kBodyTop);
    body.setColorAt(0.5, colour::kBodyMiddle);
    body.setColorAt(1, colour::kBodyBottom);
    p.fillRect(all, body);
    QRadialGradient gloss(QPointF(all.center().x(), -40), 260);
    gloss.setColorAt(0, QColor(190, 205, 235, 70));
    gloss.setColorAt(1, QColor(190, 205, 235, 0));
    p.save();
    p.scale(1, 0.6);
    p.fillRect(QRectF(0, 0, all.width(), all.height() / 0.6), gloss);
    p.restore();

    QLinearGradient chrome(all.topLeft(), all.bottomLeft());
    chrome.setColorAt(0, colour::kChromeLight);
    chrome.setColorAt(0.3, QColor(205, 210, 218));
    chrome.setColorAt(0.6, QColor(96, 102, 114));
    chrome.setColorAt(1, colour::kChromeDark);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(chrome), 4));
    p.drawRect(all.adjusted(2, 2, -2, -2));
    p.setPen(QPen(colour::kRim, 1));
    p.drawRect(all.adjusted(0.5, 0.5, -0.5, -0.5));
    p.drawRect(all.adjusted(4.5, 4.5, -4.5, -4.5));
}

void paintName(QPainter& p, const QRectF& all) {
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(46);
    f.setBold(true);
    f.setItalic(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    QPainterPath text;
    text.addText(0, 0, f, QStringLiteral("Tonvel"));
    const QRectF box = text.boundingRect();
    text.translate(all.center().x() - box.center().x(), 70);
    goldText(p, text, 2);

    p.setFont(sansFont(10, QFont::Bold, 4));
    p.setPen(colour::kCaption);
    p.drawText(QRectF(0, 80, all.width(), 14), Qt::AlignCenter, QStringLiteral("VIRTUAL PIANO"));
}

// A recessed strip behind the progress text.
void paintProgressBand(QPainter& p) {
    const QRectF band(60, 109.5, 188, 23);
    QLinearGradient g(band.topLeft(), band.bottomLeft());
    g.setColorAt(0, QColor(10, 11, 16));
    g.setColorAt(1, QColor(30, 32, 42));
    p.setPen(QPen(QColor(70, 74, 90), 1));
    p.setBrush(g);
    p.drawRoundedRect(band, 4, 4);
}

// Two octaves, with a chord lit.
void paintKeys(QPainter& p, const QRectF& all) {
    const int whites = 15;
    const qreal keyWidth = 16;
    const QRectF bed(all.center().x() - whites * keyWidth / 2 - 4, 142, whites * keyWidth + 8, 50);
    p.fillRect(bed, QColor(9, 8, 9));
    p.fillRect(QRectF(bed.left() + 1, bed.top() + 1, bed.width() - 2, 4), colour::kFelt);
    const qreal x0 = bed.left() + 4;
    const qreal top = bed.top() + 6;
    const qreal height = bed.height() - 10;
    const int lit[] = {0, 4, 7, 9};
    for (int k = 0; k < whites; ++k) {
        const QRectF key(x0 + k * keyWidth + 0.5, top, keyWidth - 1.5, height);
        const bool on = std::find(std::begin(lit), std::end(lit), k) != std::end(lit);
        QLinearGradient g(key.topLeft(), key.bottomLeft());
        g.setColorAt(0, on ? QColor(255, 190, 120) : colour::kIvoryTop);
        g.setColorAt(1, on ? QColor(255, 128, 0) : colour::kIvoryBottom);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(key, 1.5, 1.5);
    }
    for (int k = 0; k < whites - 1; ++k) {
        const int step = k % 7;
        if (step == 2 || step == 6) continue;  // no black key after E and B
        const QRectF key(x0 + (k + 1) * keyWidth - 5, top, 9, height * 0.6);
        QLinearGradient g(key.topLeft(), key.bottomLeft());
        g.setColorAt(0, QColor(20, 20, 24));
        g.setColorAt(0.85, QColor(44, 44, 52));
        g.setColorAt(1, QColor(80, 80, 90));
        p.setBrush(g);
        p.drawRoundedRect(key, 1.2, 1.2);
    }
}

}  // namespace

QImage splashPicture(int scale) {
    QImage image(kSplashWidth * scale, kSplashHeight * scale, QImage::Format_RGB32);
    image.fill(colour::kRim);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    const QRectF all(0, 0, kSplashWidth, kSplashHeight);
    paintBackground(p, all);
    paintName(p, all);
    paintProgressBand(p);
    paintKeys(p, all);
    p.end();
    image.setDevicePixelRatio(scale);
    return image;
}

}  // namespace tonvel::skin::art
