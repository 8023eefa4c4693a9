#pragma once

#include <QImage>
#include <QPainter>
#include <QRectF>

namespace tonvel::skin::art {

// Window button `index` (main menu, settings, help, minimise, stay on top, exit) in a
// 14 x 12 box whose top-left corner lies on whole pixels.
void paintWindowButton(QPainter& p, const QRectF& box, int index, bool highlighted);

// Slider knobs: 14 x 11 for the volume, 11 x 14 for the tempo.
void paintVolumeKnob(QPainter& p, const QRectF& box, bool hovered);
void paintTempoKnob(QPainter& p, const QRectF& box, bool hovered);

// The same parts as stand-alone pictures with transparent corners, `scale` times the
// skin's size.
QImage windowButtonPicture(int index, int scale);
QImage volumeKnobPicture(bool hovered, int scale);
QImage tempoKnobPicture(bool hovered, int scale);

}  // namespace tonvel::skin::art
