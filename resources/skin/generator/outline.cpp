#include "resources/skin/generator/outline.h"

#include <QPainter>
#include <cmath>

#include "resources/skin_layout.h"

namespace tonvel::skin::art {
namespace {

constexpr double kCentre = kWidth / 2.0;
constexpr double kSide = 7.5;  // left edge; the right one mirrors it
constexpr double kBase = kHeight - 5.0;
constexpr double kBaseRadius = 24;

// The dome follows the arc of the window buttons about ten pixels above them and
// flattens smoothly into a crown over the logo.
double domeTop(double x) {
    const double d = x - kCentre;
    const double arc = d * d / 820.0 - 9.4;
    const double soft = 4.0;
    return 3.0 + (arc + std::sqrt(arc * arc + soft * soft)) / 2.0;
}

}  // namespace

QPainterPath outlinePath() {
    QPainterPath path;
    const double shoulder = 30;           // where the dome hands over to the side
    const double sideTop = 100;           // where the side becomes straight
    const double y0 = domeTop(shoulder);  // about 59
    const double slope = (domeTop(shoulder + 0.5) - domeTop(shoulder - 0.5));
    const double cornerY = y0 - slope * (shoulder - kSide);

    path.moveTo(kSide, kBase - kBaseRadius);
    path.lineTo(kSide, sideTop);
    path.quadTo(kSide, cornerY, shoulder, y0);
    for (double x = shoulder + 1; x <= kWidth - shoulder - 1; x += 1) path.lineTo(x, domeTop(x));
    path.lineTo(kWidth - shoulder, y0);
    path.quadTo(kWidth - kSide, cornerY, kWidth - kSide, sideTop);
    path.lineTo(kWidth - kSide, kBase - kBaseRadius);
    path.quadTo(kWidth - kSide, kBase, kWidth - kSide - kBaseRadius, kBase);
    path.lineTo(kSide + kBaseRadius, kBase);
    path.quadTo(kSide, kBase, kSide, kBase - kBaseRadius);
    path.closeSubpath();
    return path;
}

QImage outlineMask() {
    QImage mask(kWidth, kHeight, QImage::Format_Grayscale8);
    mask.fill(0);
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255));
    p.drawPath(outlinePath());
    return mask;
}

}  // namespace tonvel::skin::art
