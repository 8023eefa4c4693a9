#pragma once

#include <QFont>
#include <QString>

namespace tonvel {

struct FittedText {
    QFont font;
    QString text;
};

// How `text` fits `width` pixels: in `font` when it can, else narrowed, then a little
// smaller, and cut short with an ellipsis only when even that is too wide.
FittedText fitText(const QString& text, const QFont& font, qreal width);

}  // namespace tonvel
