#include "app/model_painting.h"

#include <QFont>
#include <QString>

#include "app/text_fitting.h"

namespace tonvel {

void drawLabel(QPainter& painter, const Label& label, Qt::Alignment alignment, bool bold,
               int margin) {
    if (!label.visible || label.caption.empty()) return;
    QFont font = painter.font();
    // The setup script installs it; the designs' own fonts are not on Linux.
    font.setFamily(QStringLiteral("DejaVu Sans"));
    // Point sizes are meant at 96 dpi; Qt scales pixels for denser screens itself.
    font.setPixelSize(qRound(label.fontSize * 96.0 / 72.0));
    font.setBold(bold || label.bold);
    const QRect box = rectOf(label.rect).adjusted(margin, 0, -margin, 0);
    const FittedText fitted = fitText(QString::fromStdString(label.caption), font, box.width());
    painter.setFont(fitted.font);
    painter.setPen(colourOf(label.foreColor));
    // Fitted text needs no clipping; a glyph's overhang must not be cut.
    painter.drawText(box, alignment | Qt::AlignVCenter | Qt::TextDontClip, fitted.text);
}

namespace {

QPixmap tinted(const QPixmap& glyph, const QColor& colour) {
    QPixmap out(glyph.size());
    out.setDevicePixelRatio(glyph.devicePixelRatio());
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.drawPixmap(0, 0, glyph);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(QRectF(QPointF(0, 0), glyph.deviceIndependentSize()), colour);
    return out;
}

}  // namespace

void drawGlyph(QPainter& painter, const Label& label, const QPixmap& glyph) {
    if (!label.visible || glyph.isNull()) return;
    const QRect box = rectOf(label.rect);
    painter.drawPixmap(box.translated(0, 1), tinted(glyph, QColor(255, 255, 255, 150)));
    painter.drawPixmap(box, tinted(glyph, colourOf(label.foreColor)));
}

}  // namespace tonvel
