#include "resources/skin/generator/paint_kit.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

namespace tonvel::skin::art {

QFont sansFont(qreal pixelSize, int weight, qreal letterSpacing) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qRound(pixelSize));
    f.setWeight(static_cast<QFont::Weight>(weight));
    f.setHintingPreference(QFont::PreferVerticalHinting);
    if (letterSpacing != 0) f.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    return f;
}

void darkRecess(QPainter& p, const QRectF& r, qreal radius, const QColor& top,
                const QColor& bottom) {
    p.save();
    p.setPen(Qt::NoPen);
    // The lit lip below, then the hole, then a shadow under the upper edge.
    p.setBrush(QColor(255, 255, 255, 38));
    p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawRoundedRect(r.adjusted(-1, -1, 1, 0), radius + 1, radius + 1);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
    QLinearGradient shade(r.topLeft(), r.topLeft() + QPointF(0, qMin<qreal>(4, r.height() / 2)));
    shade.setColorAt(0, QColor(0, 0, 0, 110));
    shade.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(shade);
    p.drawRoundedRect(r, radius, radius);
    p.restore();
}

void sunkenLightPanel(QPainter& p, const QRectF& r, qreal radius) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 46));
    p.drawRoundedRect(r.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
    p.setBrush(QColor(6, 6, 8));
    p.drawRoundedRect(r.adjusted(-1, -1, 1, 0), radius + 1, radius + 1);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, colour::kCreamBottom);
    g.setColorAt(0.25, colour::kCreamTop);
    g.setColorAt(1, colour::kCreamTop.darker(104));
    p.setBrush(g);
    p.drawRoundedRect(r, radius, radius);
    // Shadow cast by the upper rim onto the glass.
    QLinearGradient shade(r.topLeft(), r.topLeft() + QPointF(0, 3));
    shade.setColorAt(0, QColor(60, 40, 10, 90));
    shade.setColorAt(1, QColor(60, 40, 10, 0));
    p.setBrush(shade);
    p.drawRoundedRect(r, radius, radius);
    p.restore();
}

CapColours creamCap() {
    return {QColor(0, 0, 0, 120),
            QColor(24, 22, 18),
            QColor(252, 249, 238),
            colour::kCreamTop,
            colour::kCreamBottom.darker(106),
            QColor(255, 255, 255, 90)};
}

void raisedLightButton(QPainter& p, const QRectF& r, qreal radius, const CapColours& colours) {
    p.save();
    p.setPen(Qt::NoPen);
    // Drop shadow, dark frame, then the cap with its light top edge.
    p.setBrush(colours.shadow);
    p.drawRoundedRect(r.translated(0, 1).adjusted(-0.5, 0, 0.5, 0.5), radius + 0.5, radius + 0.5);
    p.setBrush(colours.frame);
    p.drawRoundedRect(r, radius, radius);
    const QRectF cap = r.adjusted(1, 1, -1, -1);
    QLinearGradient g(cap.topLeft(), cap.bottomLeft());
    g.setColorAt(0, colours.top);
    g.setColorAt(0.45, colours.middle);
    g.setColorAt(1, colours.bottom);
    p.setBrush(g);
    p.drawRoundedRect(cap, radius - 0.5, radius - 0.5);
    QLinearGradient gloss(cap.topLeft(), cap.topLeft() + QPointF(0, cap.height() * 0.5));
    gloss.setColorAt(0, colours.gloss);
    QColor clear = colours.gloss;
    clear.setAlpha(0);
    gloss.setColorAt(1, clear);
    p.setBrush(gloss);
    p.drawRoundedRect(cap, radius - 0.5, radius - 0.5);
    p.restore();
}

void caption(QPainter& p, const QRectF& r, const QString& text, Qt::Alignment align) {
    p.save();
    p.setFont(sansFont(7, QFont::Bold, 0.6));
    p.setPen(QColor(0, 0, 0, 170));
    p.drawText(r.translated(0, -0.6), align, text);
    p.setPen(colour::kCaption);
    p.drawText(r, align, text);
    p.restore();
}

void grille(QPainter& p, const QRectF& r) {
    p.save();
    p.setPen(Qt::NoPen);
    const qreal step = 5;
    int row = 0;
    for (qreal y = r.top() + 2.5; y < r.bottom() - 1; y += step * 0.866, ++row) {
        const qreal shift = (row % 2) ? step / 2 : 0;
        for (qreal x = r.left() + 2.5 + shift; x < r.right() - 1; x += step) {
            p.setBrush(QColor(255, 255, 255, 30));
            p.drawEllipse(QPointF(x, y + 0.6), 1.35, 1.35);
            p.setBrush(QColor(3, 3, 5));
            p.drawEllipse(QPointF(x, y), 1.3, 1.3);
        }
    }
    p.restore();
}

void goldText(QPainter& p, const QPainterPath& text, qreal shadow) {
    const QRectF placed = text.boundingRect();
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawPath(text.translated(0, shadow));
    QLinearGradient gold(0, placed.top(), 0, placed.bottom());
    gold.setColorAt(0, QColor(255, 242, 206));
    gold.setColorAt(0.48, colour::kGold);
    gold.setColorAt(0.52, QColor(170, 126, 58));
    gold.setColorAt(1, QColor(232, 202, 136));
    p.setBrush(gold);
    p.drawPath(text);
    p.restore();
}

}  // namespace tonvel::skin::art
