#include "app/text_fitting.h"

#include <QFontMetricsF>

namespace tonvel {

namespace {

struct Try {
    int smaller;  // pixels below the font's own size
    int stretch;  // percent of the normal width
};
constexpr Try kTries[] = {{0, 100}, {0, 90}, {0, 80}, {1, 80}, {2, 80}};

}  // namespace

FittedText fitText(const QString& text, const QFont& font, qreal width) {
    QFont tried = font;
    for (const Try& t : kTries) {
        tried.setPixelSize(qMax(1, font.pixelSize() - t.smaller));
        tried.setStretch(t.stretch);
        if (QFontMetricsF(tried).horizontalAdvance(text) <= width) return {tried, text};
    }
    return {tried, QFontMetricsF(tried).elidedText(text, Qt::ElideRight, width)};
}

}  // namespace tonvel
