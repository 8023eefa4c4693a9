#pragma once

#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <QRect>

#include "foundation/controls.h"

namespace tonvel {

// Colour values of the models are 0x00BBGGRR.
inline QColor colourOf(uint32_t value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

inline QRect rectOf(const Rect& r) {
    return {r.left, r.top, r.width, r.height};
}

// Text in a light panel keeps this far from the panel's sides.
inline constexpr int kPanelMargin = 3;

// Draws a label model in its rectangle, `margin` pixels in from either side, narrowed or cut
// short to fit; bold when the label or the caller asks for it.
void drawLabel(QPainter& painter, const Label& label, Qt::Alignment alignment, bool bold = false,
               int margin = 0);

// Draws `glyph`, white on transparent and the size of the label, in the label's colour with
// a faint light lip below, as if pressed into the cap.
void drawGlyph(QPainter& painter, const Label& label, const QPixmap& glyph);

}  // namespace tonvel
