#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include "resources/skin_layout.h"

namespace tonvel::skin::art {

namespace colour {
inline const QColor kRim{11, 12, 15};
inline const QColor kBodyTop{52, 58, 74};
inline const QColor kBodyMiddle{27, 31, 41};
inline const QColor kBodyBottom{12, 13, 17};
inline const QColor kChromeLight{226, 230, 236};
inline const QColor kChromeDark{44, 48, 56};
inline const QColor kCreamTop{246, 240, 218};
inline const QColor kCreamBottom{226, 216, 184};
inline const QColor kCaption{150, 160, 178};
inline const QColor kGold{222, 186, 110};
inline const QColor kFelt{120, 18, 30};
inline const QColor kIvoryTop{250, 248, 240};
inline const QColor kIvoryBottom{230, 225, 212};
}  // namespace colour

inline QRectF toRectF(const Rect& r) {
    return QRectF(r.left, r.top, r.width, r.height);
}

// A light panel sunk into the body, for text the program writes.
void sunkenLightPanel(QPainter& p, const QRectF& r, qreal radius);

// The colours of a raised cap: its shadow, frame, gradient top to bottom, and gloss.
struct CapColours {
    QColor shadow, frame, top, middle, bottom, gloss;
};
// The skin's cream cap.
CapColours creamCap();

// A key cap standing out of the body, for buttons whose glyph the program writes.
void raisedLightButton(QPainter& p, const QRectF& r, qreal radius,
                       const CapColours& colours = creamCap());

// A dark recess with a shadowed upper edge and a lit lower edge.
void darkRecess(QPainter& p, const QRectF& r, qreal radius, const QColor& top,
                const QColor& bottom);

// Small engraved lettering on the dark body.
void caption(QPainter& p, const QRectF& r, const QString& text,
             Qt::Alignment align = Qt::AlignCenter);

// Perforated speaker grille.
void grille(QPainter& p, const QRectF& r);

QFont sansFont(qreal pixelSize, int weight, qreal letterSpacing = 0);

// Gold lettering with a drop shadow `shadow` pixels deep.
void goldText(QPainter& p, const QPainterPath& text, qreal shadow);

// A transparent picture of width x height, `scale` times as dense, painted by
// paint(QPainter&, QRectF of the logical picture).
template <typename Paint>
QImage picture(int width, int height, int scale, Paint paint) {
    QImage image(width * scale, height * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(scale, scale);
    paint(p, QRectF(0, 0, width, height));
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace tonvel::skin::art
