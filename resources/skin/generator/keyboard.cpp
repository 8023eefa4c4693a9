#include "resources/skin/generator/keyboard.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include "resources/skin/generator/paint_kit.h"

namespace tonvel::skin::art {
namespace {

void paintKeyBed(QPainter& p) {
    const QRectF bed(93, 134, 339, 79);
    p.fillRect(bed, QColor(9, 8, 9));
    QLinearGradient felt(0, 134.5, 0, 138.5);
    felt.setColorAt(0, colour::kFelt.darker(140));
    felt.setColorAt(0.5, colour::kFelt);
    felt.setColorAt(1, colour::kFelt.darker(160));
    p.fillRect(QRectF(94, 134.5, 337, 4), felt);
}

void paintWhiteKey(QPainter& p, int i) {
    const QRectF lower = toRectF(kKeyLower[i]);
    const QRectF upper = toRectF(kKeyUpper[i]);
    QPainterPath face;
    face.setFillRule(Qt::WindingFill);
    face.addRect(upper);
    face.addRoundedRect(lower, 1.6, 1.6);
    face.addRect(lower.adjusted(0, 0, 0, -3));

    QLinearGradient ivory(0, upper.top(), 0, lower.bottom());
    ivory.setColorAt(0, QColor(214, 210, 200));  // shade under the felt
    ivory.setColorAt(0.06, colour::kIvoryTop);
    ivory.setColorAt(0.85, colour::kIvoryBottom);
    ivory.setColorAt(1, QColor(206, 200, 186));
    p.fillPath(face, ivory);

    // The key's rounded front edge catches less light.
    QLinearGradient lip(0, lower.bottom() - 4, 0, lower.bottom());
    lip.setColorAt(0, QColor(0, 0, 0, 0));
    lip.setColorAt(1, QColor(60, 50, 30, 70));
    p.fillPath(face, lip);
}

void paintBlackKey(QPainter& p, int i) {
    const QRectF key = toRectF(kKeyLower[i]);
    p.save();
    p.setPen(Qt::NoPen);
    // Shadow on the white keys below.
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(key.adjusted(-0.5, 0, 1, 1.5), 1.5, 1.5);
    QLinearGradient body(key.topLeft(), key.topRight());
    body.setColorAt(0, QColor(8, 8, 10));
    body.setColorAt(0.5, QColor(20, 20, 24));
    body.setColorAt(1, QColor(6, 6, 8));
    p.setBrush(body);
    p.drawRoundedRect(key, 1.2, 1.2);
    // The top surface, ending in a lighter bevel towards the player.
    const QRectF top = key.adjusted(1.5, 0, -1.5, -5);
    QLinearGradient surface(top.topLeft(), top.bottomLeft());
    surface.setColorAt(0, QColor(24, 24, 28));
    surface.setColorAt(0.8, QColor(44, 44, 52));
    surface.setColorAt(1, QColor(58, 58, 66));
    p.setBrush(surface);
    p.drawRoundedRect(top, 0.8, 0.8);
    const QRectF front = QRectF(key.left() + 1, key.bottom() - 5, key.width() - 2, 4);
    QLinearGradient bevel(front.topLeft(), front.bottomLeft());
    bevel.setColorAt(0, QColor(88, 88, 98));
    bevel.setColorAt(1, QColor(22, 22, 26));
    p.setBrush(bevel);
    p.drawRoundedRect(front, 0.8, 0.8);
    p.restore();
}

void paintDrumPads(QPainter& p) {
    const Rect first = drumPad(0);
    const Rect last = drumPad(kDrumPadCount - 1);
    const QRectF block(first.left - 4, first.top - 4, last.right() - first.left + 8,
                       last.bottom() - first.top + 8);
    darkRecess(p, block, 4, QColor(8, 9, 12), QColor(16, 18, 23));
    p.save();
    p.setPen(Qt::NoPen);
    for (int j = 0; j < kDrumPadCount; ++j) {
        const QRectF pad = toRectF(drumPad(j));
        p.setBrush(QColor(0, 0, 0, 200));
        p.drawEllipse(pad.adjusted(-1, -1, 1, 1));
        p.setBrush(QColor(128, 64, 64));
        p.drawEllipse(pad);
        QRadialGradient face(pad.center() - QPointF(1.2, 1.4), 4.6);
        face.setColorAt(0, QColor(255, 238, 218));
        face.setColorAt(1, QColor(240, 206, 170));
        p.setBrush(face);
        p.drawEllipse(pad.adjusted(1, 1, -1, -1));
    }
    p.restore();
}

}  // namespace

void paintKeyboard(QPainter& p) {
    paintKeyBed(p);
    for (int i = 0; i < kPianoKeyCount; ++i)
        if (!isBlackKey(i)) paintWhiteKey(p, i);
    for (int i = 0; i < kPianoKeyCount; ++i)
        if (isBlackKey(i)) paintBlackKey(p, i);
    paintDrumPads(p);
}

}  // namespace tonvel::skin::art
