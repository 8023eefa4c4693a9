#include "resources/skin/generator/controls.h"

#include <QLinearGradient>
#include <QPainterPath>

#include "resources/skin/generator/paint_kit.h"
#include "resources/skin/generator/small_parts.h"

namespace tonvel::skin::art {
namespace {

QRectF around(const Rect& r, qreal margin) {
    return toRectF(r).adjusted(-margin, -margin, margin, margin);
}

void paintVolumeTrack(QPainter& p) {
    const QRectF track = toRectF(kVolumeTrack);
    darkRecess(p, track, 3, QColor(4, 4, 6), QColor(18, 20, 26));
    // The slot the knob rides in.
    p.fillRect(QRectF(track.left() + 3, track.center().y() - 1, track.width() - 6, 2),
               QColor(70, 76, 90));
    // A wedge below the track: quiet on the left, loud on the right.
    QPainterPath wedge;
    const qreal y = track.bottom() + 7;
    wedge.moveTo(track.left() + 3, y);
    wedge.lineTo(track.right() - 3, y);
    wedge.lineTo(track.right() - 3, y - 4);
    wedge.closeSubpath();
    QLinearGradient fill(track.left(), 0, track.right(), 0);
    fill.setColorAt(0, QColor(150, 160, 178, 60));
    fill.setColorAt(1, QColor(255, 150, 40, 220));
    p.fillPath(wedge, fill);

    // Loudspeaker sign left of the track.
    p.save();
    p.translate(track.left() - 16, track.center().y());
    QPainterPath speaker;
    speaker.moveTo(0, -2);
    speaker.lineTo(2.5, -2);
    speaker.lineTo(6, -5);
    speaker.lineTo(6, 5);
    speaker.lineTo(2.5, 2);
    speaker.lineTo(0, 2);
    speaker.closeSubpath();
    p.fillPath(speaker, colour::kCaption);
    p.setPen(QPen(colour::kCaption, 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, -4, 6, 8), -50 * 16, 100 * 16);
    p.drawArc(QRectF(4, -6.5, 10, 13), -50 * 16, 100 * 16);
    p.restore();
}

void paintTempoTrack(QPainter& p) {
    const QRectF track = toRectF(kTempoTrack);
    darkRecess(p, track, 3, QColor(4, 4, 6), QColor(18, 20, 26));
    p.fillRect(QRectF(track.center().x() - 1, track.top() + 3, 2, track.height() - 6),
               QColor(70, 76, 90));
    // Ticks at fastest, normal and slowest, where the knob's middle stands.
    const Rect hit = kTempoHitArea;
    const int travel = hit.height - kTempoPointer.height;
    for (int step = 0; step <= 2; ++step) {
        const qreal y = hit.top + kTempoPointer.height / 2.0 + travel * step / 2.0;
        const qreal length = step == 1 ? 4 : 3;
        p.fillRect(QRectF(track.right() + 2, qFloor(y), length, 1), colour::kCaption);
    }
}

void paintCaptions(QPainter& p) {
    caption(p, QRectF(kVolumeTrack.left, 99, kVolumeTrack.width, 9), QStringLiteral("VOLUME"));
    const Rect pads = drumPad(0);
    caption(p, QRectF(pads.left - 6, 74, 44, 9), QStringLiteral("PADS"));
    // Centred over its track, which leaves the rhythm panel beside it a few pixels of body.
    const qreal tempoCentre = kTempoTrack.left + kTempoTrack.width / 2.0;
    caption(p, QRectF(tempoCentre - 18, 74, 36, 9), QStringLiteral("TEMPO"));
    caption(p, QRectF(kBaseNoteLabel.left - 14, 100, kBaseNoteLabel.width + 28, 9),
            QStringLiteral("BASE NOTE"));
    caption(p, QRectF(kBankButtons[0].left, 72, kBankButtons[1].right() - kBankButtons[0].left, 9),
            QStringLiteral("BANKS"));
    caption(p,
            QRectF(kTransportButtons[0].left, 72,
                   kTransportButtons[2].right() - kTransportButtons[0].left, 9),
            QStringLiteral("RHYTHM"));
}

}  // namespace

void paintControls(QPainter& p) {
    for (int i = 0; i < kWindowButtonCount; ++i) {
        const QRectF box = toRectF(kWindowButtons[i]);
        p.save();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 110));
        p.drawRoundedRect(box.adjusted(-1, -1, 1, 1.5), 4, 4);
        p.restore();
        paintWindowButton(p, box, i, false);
    }

    sunkenLightPanel(p, around(kStatusLine, 3), 4);
    for (const Rect& r : {kChannelLabel, kInstrumentLabel, kRhythmLabel, kBaseNoteLabel})
        sunkenLightPanel(p, toRectF(r), 2.5);
    for (const Rect& r : kBankButtons) raisedLightButton(p, toRectF(r), 3);
    for (const Rect& r : kTransportButtons) raisedLightButton(p, toRectF(r), 3);

    paintVolumeTrack(p);
    paintTempoTrack(p);
    paintCaptions(p);

    grille(p, QRectF(18, 140, 72, 86));
    grille(p, QRectF(kWidth - 90, 140, 72, 86));
}

}  // namespace tonvel::skin::art
