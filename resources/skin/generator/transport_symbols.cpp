#include "resources/skin/generator/transport_symbols.h"

#include <QPainterPath>
#include <QPolygonF>

#include "resources/skin/generator/paint_kit.h"

namespace tonvel::skin::art {

namespace {

QPainterPath triangle(QPointF a, QPointF b, QPointF c) {
    QPainterPath path;
    path.addPolygon(QPolygonF({a, b, c, a}));
    return path;
}

// Each glyph is about eight pixels tall and centred on its button, its straight edges on
// whole pixels so that they stay crisp at the small size.
QPainterPath symbol(int index, const QPointF& centre) {
    QPainterPath path;
    const qreal x = centre.x(), top = centre.y() - 4, bottom = centre.y() + 4;
    switch (index) {
        case kPlay:
            path = triangle({x - 3, top}, {x - 3, bottom}, {x + 4, centre.y()});
            break;
        case kFill:
            path = triangle({x - 5, top}, {x - 5, bottom}, {x - 0.5, centre.y()});
            path.addPath(triangle({x - 1, top}, {x - 1, bottom}, {x + 3.5, centre.y()}));
            path.addRect(QRectF(x + 4, top, 2, bottom - top));
            break;
        case kPause:
            path.addRect(QRectF(x - 3, top, 2, bottom - top));
            path.addRect(QRectF(x + 1, top, 2, bottom - top));
            break;
        case kEnding:
            path = triangle({x - 4.5, top + 1}, {x + 4.5, top + 1}, {x, bottom});
            break;
        case kStop:
            path.addRect(QRectF(x - 4, top + 1, 7, 7));
            break;
        default:
            break;
    }
    path.setFillRule(Qt::WindingFill);
    return path;
}

}  // namespace

QImage transportSymbolPicture(int index, int scale) {
    const Rect button = kTransportButtons[static_cast<size_t>(index)];
    return picture(button.width, button.height, scale, [&](QPainter& p, const QRectF& box) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawPath(symbol(index, box.center()));
    });
}

}  // namespace tonvel::skin::art
