#include "resources/skin/generator/small_parts.h"

#include <QLinearGradient>
#include <QPainterPath>

#include "resources/skin/generator/paint_kit.h"

namespace tonvel::skin::art {
namespace {

struct Look {
    QColor top, bottom, border, glyph;
};

Look buttonLook(int index, bool highlighted) {
    if (!highlighted)
        return {QColor(86, 93, 108), QColor(26, 29, 36), QColor(5, 6, 8), QColor(214, 220, 230)};
    if (index == 5)
        return {QColor(255, 138, 120), QColor(196, 30, 18), QColor(50, 6, 2),
                QColor(255, 250, 246)};
    return {QColor(255, 210, 120), QColor(240, 118, 0), QColor(60, 26, 0), QColor(48, 18, 0)};
}

void paintGlyph(QPainter& p, const QRectF& b, int index, const QColor& ink) {
    p.save();
    p.translate(b.topLeft());
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    switch (index) {
        case 0:  // menu: three bars
            for (int row : {3, 5, 7}) p.fillRect(QRectF(4, row, 6, 1), ink);
            break;
        case 1: {  // settings: a small gear
            QPainterPath gear;
            const QPointF c(7, 5.5);
            for (int t = 0; t < 6; ++t) {
                QTransform turn;
                turn.translate(c.x(), c.y());
                turn.rotate(t * 60.0);
                gear.addPolygon(turn.map(QPolygonF(QRectF(-0.9, -4.2, 1.8, 2.2))));
            }
            gear.addEllipse(c, 3.0, 3.0);
            gear.setFillRule(Qt::WindingFill);
            QPainterPath hole;
            hole.addEllipse(c, 1.1, 1.1);
            p.drawPath(gear.simplified().subtracted(hole));
            break;
        }
        case 2: {  // help: a question mark
            QFont f = sansFont(10, QFont::Black);
            p.setFont(f);
            p.setPen(ink);
            p.drawText(QRectF(0, 0, 14, 12), Qt::AlignCenter, QStringLiteral("?"));
            break;
        }
        case 3:  // minimise: a bar at the bottom
            p.fillRect(QRectF(4, 7, 6, 2), ink);
            break;
        case 4: {  // stay on top: an arrow up to a bar
            p.fillRect(QRectF(3, 2, 8, 1), ink);
            QPainterPath arrow;
            arrow.moveTo(7, 3.6);
            arrow.lineTo(10.2, 6.8);
            arrow.lineTo(3.8, 6.8);
            arrow.closeSubpath();
            p.drawPath(arrow);
            p.fillRect(QRectF(6, 6.5, 2, 3), ink);
            break;
        }
        default: {  // exit: a cross
            QPen pen(ink, 1.7, Qt::SolidLine, Qt::RoundCap);
            p.setPen(pen);
            p.drawLine(QPointF(4.6, 3.1), QPointF(9.4, 7.9));
            p.drawLine(QPointF(9.4, 3.1), QPointF(4.6, 7.9));
            break;
        }
    }
    p.restore();
}

void paintKnob(QPainter& p, const QRectF& box, bool hovered, bool vertical) {
    p.save();
    p.setPen(Qt::NoPen);
    const QColor border = hovered ? QColor(70, 28, 0) : QColor(8, 9, 11);
    p.setBrush(border);
    p.drawRoundedRect(box, 2.6, 2.6);
    const QRectF cap = box.adjusted(1, 1, -1, -1);
    QLinearGradient g(cap.topLeft(), cap.bottomLeft());
    if (hovered) {
        g.setColorAt(0, QColor(255, 226, 160));
        g.setColorAt(0.5, QColor(255, 150, 30));
        g.setColorAt(1, QColor(200, 90, 0));
    } else {
        g.setColorAt(0, QColor(246, 248, 250));
        g.setColorAt(0.5, QColor(176, 182, 192));
        g.setColorAt(1, QColor(110, 116, 128));
    }
    p.setBrush(g);
    p.drawRoundedRect(cap, 1.8, 1.8);
    // Grip line across the direction of travel, with a lit edge.
    const QColor groove = hovered ? QColor(110, 40, 0) : QColor(40, 44, 52);
    const QColor lit = hovered ? QColor(255, 236, 200) : QColor(255, 255, 255, 200);
    const QPointF c = box.center();
    if (vertical) {
        p.fillRect(QRectF(box.left() + 2, qFloor(c.y()) - 0.0, box.width() - 4, 1), groove);
        p.fillRect(QRectF(box.left() + 2, qFloor(c.y()) + 1.0, box.width() - 4, 1), lit);
    } else {
        p.fillRect(QRectF(qFloor(c.x()) - 1.0, box.top() + 2, 1, box.height() - 4), groove);
        p.fillRect(QRectF(qFloor(c.x()), box.top() + 2, 1, box.height() - 4), lit);
    }
    p.restore();
}

}  // namespace

void paintWindowButton(QPainter& p, const QRectF& box, int index, bool highlighted) {
    const Look look = buttonLook(index, highlighted);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(look.border);
    p.drawRoundedRect(box, 3.2, 3.2);
    const QRectF face = box.adjusted(1, 1, -1, -1);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0, look.top);
    g.setColorAt(1, look.bottom);
    p.setBrush(g);
    p.drawRoundedRect(face, 2.4, 2.4);
    QLinearGradient gloss(face.topLeft(), face.topLeft() + QPointF(0, face.height() / 2));
    gloss.setColorAt(0, QColor(255, 255, 255, highlighted ? 110 : 70));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawRoundedRect(face, 2.4, 2.4);
    p.restore();
    paintGlyph(p, box, index, look.glyph);
}

void paintVolumeKnob(QPainter& p, const QRectF& box, bool hovered) {
    paintKnob(p, box, hovered, false);
}

void paintTempoKnob(QPainter& p, const QRectF& box, bool hovered) {
    paintKnob(p, box, hovered, true);
}

QImage windowButtonPicture(int index, int scale) {
    return picture(14, 12, scale, [index](QPainter& p, const QRectF& box) {
        paintWindowButton(p, box, index, true);
    });
}

QImage volumeKnobPicture(bool hovered, int scale) {
    return picture(14, 11, scale,
                   [hovered](QPainter& p, const QRectF& box) { paintVolumeKnob(p, box, hovered); });
}

QImage tempoKnobPicture(bool hovered, int scale) {
    return picture(11, 14, scale,
                   [hovered](QPainter& p, const QRectF& box) { paintTempoKnob(p, box, hovered); });
}

}  // namespace tonvel::skin::art
