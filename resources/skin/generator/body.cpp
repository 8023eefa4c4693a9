#include "resources/skin/generator/body.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include "resources/skin/generator/outline.h"
#include "resources/skin/generator/paint_kit.h"

namespace tonvel::skin::art {
namespace {

void paintLacquer(QPainter& p, const QPainterPath& outline) {
    QLinearGradient body(0, 0, 0, kHeight);
    body.setColorAt(0, colour::kBodyTop);
    body.setColorAt(0.45, colour::kBodyMiddle);
    body.setColorAt(1, colour::kBodyBottom);
    p.fillPath(outline, body);

    // A broad soft reflection across the dome.
    QRadialGradient gloss(QPointF(kWidth / 2.0, -30), 320);
    gloss.setColorAt(0, QColor(190, 205, 235, 60));
    gloss.setColorAt(0.5, QColor(190, 205, 235, 18));
    gloss.setColorAt(1, QColor(190, 205, 235, 0));
    p.save();
    p.scale(1, 0.5);
    p.fillRect(QRectF(0, 0, kWidth, 2 * kHeight), gloss);
    p.restore();
}

void paintRim(QPainter& p, const QPainterPath& outline) {
    p.save();
    p.setClipPath(outline);
    p.setBrush(Qt::NoBrush);
    p.strokePath(outline, QPen(QColor(0, 0, 0, 150), 13));
    QLinearGradient chrome(0, 0, 0, kHeight);
    chrome.setColorAt(0, colour::kChromeLight);
    chrome.setColorAt(0.12, QColor(150, 156, 168));
    chrome.setColorAt(0.3, QColor(205, 210, 218));
    chrome.setColorAt(0.55, QColor(96, 102, 114));
    chrome.setColorAt(0.85, QColor(70, 75, 86));
    chrome.setColorAt(1, colour::kChromeDark);
    p.strokePath(outline, QPen(QBrush(chrome), 9));
    p.strokePath(outline, QPen(colour::kRim, 2.5));
    p.restore();
}

void paintConsole(QPainter& p) {
    // One recess holds the control strip, the felt and the keys.
    const QRectF console(92, 70, 341, 145);
    darkRecess(p, console, 6, QColor(14, 16, 21), QColor(20, 22, 28));
    // Brushed texture hint on the control strip.
    QLinearGradient sheen(console.topLeft(), QPointF(console.left(), 134));
    sheen.setColorAt(0, QColor(255, 255, 255, 0));
    sheen.setColorAt(1, QColor(120, 140, 180, 22));
    p.fillRect(QRectF(console.left() + 1, console.top() + 4, console.width() - 2, 130 - 74), sheen);
}

void paintLogo(QPainter& p) {
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(23);
    f.setBold(true);
    f.setItalic(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
    QPainterPath text;
    text.addText(0, 0, f, QStringLiteral("Tonvel"));
    const QRectF box = text.boundingRect();
    const QPointF at(kWidth / 2.0 - box.center().x(), 34 - 0 * box.top());
    text.translate(at);

    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 160));
    p.drawPath(text.translated(0, 1));
    QLinearGradient gold(0, at.y() + box.top(), 0, at.y() + box.bottom());
    gold.setColorAt(0, QColor(255, 240, 200));
    gold.setColorAt(0.45, colour::kGold);
    gold.setColorAt(0.55, QColor(176, 132, 62));
    gold.setColorAt(1, QColor(226, 196, 130));
    p.setBrush(gold);
    p.drawPath(text);
    p.restore();

    // Fine rules either side of the name.
    p.save();
    const qreal y = at.y() - box.height() * 0.32;
    const qreal gap = box.width() / 2 + 10;
    for (int side : {-1, 1}) {
        QLinearGradient fade(kWidth / 2.0 + side * gap, 0, kWidth / 2.0 + side * (gap + 40), 0);
        fade.setColorAt(0, QColor(222, 186, 110, 170));
        fade.setColorAt(1, QColor(222, 186, 110, 0));
        p.fillRect(QRectF(side < 0 ? kWidth / 2.0 - gap - 40 : kWidth / 2.0 + gap, y, 40, 1), fade);
    }
    p.restore();
}

}  // namespace

void paintBody(QPainter& p) {
    const QPainterPath outline = outlinePath();
    p.fillPath(outline, colour::kRim);
    p.save();
    p.setClipPath(outline);
    paintLacquer(p, outline);
    paintConsole(p);
    paintLogo(p);
    p.restore();
    paintRim(p, outline);
}

}  // namespace tonvel::skin::art
