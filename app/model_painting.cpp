#include "app/model_painting.h"

#include <QFont>
#include <QString>

namespace tonvel {

void drawLabel(QPainter& painter, const Label& label, Qt::Alignment alignment, bool bold) {
    if (!label.visible || label.caption.empty()) return;
    QFont font = painter.font();
    // The setup script installs it; the designs' own fonts are not on Linux.
    font.setFamily(QStringLiteral("DejaVu Sans"));
    // Point sizes are meant at 96 dpi; Qt scales pixels for denser screens itself.
    font.setPixelSize(qRound(label.fontSize * 96.0 / 72.0));
    font.setBold(bold || label.bold);
    painter.setFont(font);
    painter.setPen(colourOf(label.foreColor));
    painter.drawText(rectOf(label.rect), alignment | Qt::AlignVCenter,
                     QString::fromStdString(label.caption));
}

}  // namespace tonvel
