#include "resources/skin/generator/dialog_parts.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "resources/skin/generator/paint_kit.h"

namespace tonvel::skin::art {
namespace {

// The cream key cap of the skin, or the same cap glowing amber under the mouse.
void paintFace(QPainter& p, const QRectF& all, bool highlighted) {
    const CapColours amber = {QColor(120, 50, 0, 120), QColor(70, 28, 0),
                              QColor(255, 244, 214),   QColor(255, 214, 140),
                              QColor(246, 160, 52),    QColor(255, 255, 255, 120)};
    raisedLightButton(p, all.adjusted(0.5, 0, -0.5, -1), 4, highlighted ? amber : creamCap());
}

// Like the main window's exit button: dark at rest, red under the mouse.
void paintClose(QPainter& p, const QRectF& all, bool highlighted) {
    const QColor top = highlighted ? QColor(255, 138, 120) : QColor(86, 93, 108);
    const QColor bottom = highlighted ? QColor(196, 30, 18) : QColor(26, 29, 36);
    const QColor border = highlighted ? QColor(50, 6, 2) : QColor(5, 6, 8);
    const QColor ink = highlighted ? QColor(255, 250, 246) : QColor(214, 220, 230);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(border);
    p.drawRoundedRect(all, 4, 4);
    const QRectF face = all.adjusted(1, 1, -1, -1);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.drawRoundedRect(face, 3, 3);
    QLinearGradient gloss(face.topLeft(), face.topLeft() + QPointF(0, face.height() / 2));
    gloss.setColorAt(0, QColor(255, 255, 255, highlighted ? 110 : 70));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(gloss);
    p.drawRoundedRect(face, 3, 3);
    p.setPen(QPen(ink, 2, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = all.center();
    p.drawLine(c + QPointF(-3.6, -3.6), c + QPointF(3.6, 3.6));
    p.drawLine(c + QPointF(3.6, -3.6), c + QPointF(-3.6, 3.6));
    p.restore();
}

// A piece of the body with the gold name's initial over a short keyboard.
void paintIcon(QPainter& p, const QRectF& all) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour::kRim);
    p.drawRoundedRect(all, 6, 6);
    const QRectF body = all.adjusted(1, 1, -1, -1);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, colour::kBodyTop);
    g.setColorAt(0.55, colour::kBodyMiddle);
    g.setColorAt(1, colour::kBodyBottom);
    p.setBrush(g);
    p.drawRoundedRect(body, 5, 5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(226, 230, 236, 90), 1));
    p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), 4.5, 4.5);

    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(17);
    f.setBold(true);
    f.setItalic(true);
    QPainterPath initial;
    initial.addText(0, 0, f, QStringLiteral("T"));
    const QRectF box = initial.boundingRect();
    initial.translate(all.center().x() - box.center().x(), 3.5 - box.top());
    goldText(p, initial, 1);

    const QRectF bed(4, 19, 24, 9);
    p.fillRect(bed, QColor(9, 8, 9));
    p.fillRect(QRectF(bed.left(), bed.top(), bed.width(), 1), colour::kFelt);
    const qreal keyWidth = bed.width() / 4;
    for (int k = 0; k < 4; ++k) {
        const QRectF key(bed.left() + k * keyWidth + 0.25, bed.top() + 1, keyWidth - 0.5,
                         bed.height() - 1);
        QLinearGradient ivory(key.topLeft(), key.bottomLeft());
        const bool lit = k == 1;
        ivory.setColorAt(0, lit ? QColor(255, 190, 120) : colour::kIvoryTop);
        ivory.setColorAt(1, lit ? QColor(255, 128, 0) : colour::kIvoryBottom);
        p.setBrush(ivory);
        p.drawRoundedRect(key, 0.8, 0.8);
    }
    p.setBrush(QColor(20, 20, 24));
    for (int k = 1; k < 4; ++k)
        p.drawRoundedRect(QRectF(bed.left() + k * keyWidth - 1.6, bed.top() + 1, 3.2, 5), 0.6, 0.6);
    p.restore();
}

}  // namespace

QImage buttonFacePicture(bool highlighted, int scale) {
    return picture(136, 21, scale, [highlighted](QPainter& p, const QRectF& all) {
        paintFace(p, all, highlighted);
    });
}

QImage closeButtonPicture(bool highlighted, int scale) {
    return picture(19, 19, scale, [highlighted](QPainter& p, const QRectF& all) {
        paintClose(p, all, highlighted);
    });
}

QImage programIconPicture(int scale) {
    return picture(32, 32, scale, paintIcon);
}

}  // namespace tonvel::skin::art
