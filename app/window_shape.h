#pragma once

#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QRgb>

class QWidget;

namespace tonvel {

// The window shape cut from a picture: the picture's rectangle minus every pixel whose
// colour (alpha ignored) is `key`. Pass the 1x picture: the region is in its pixels.
QRegion keyColourRegion(const QImage& picture, QRgb key);

// The same region built one pixel at a time, the way the shape is defined. Far too slow
// for the program; it is the yardstick the fast version is checked and timed against.
QRegion keyColourRegionPerPixel(const QImage& picture, QRgb key);

// Gives `window` the shape of `picture`: the window's rectangle minus the key-coloured
// pixels of the picture laid at its top-left corner. Window area the picture does not
// cover stays in.
void applyKeyColourRegion(QWidget* window, const QImage& picture, QRgb key);

// The picture with every pixel whose colour (alpha ignored) is `key` made fully transparent,
// the rest as it was; of the same size and density. Where the desktop composes windows, the
// shape is drawn this way at the screen's own density.
QImage keyColourTransparent(const QImage& picture, QRgb key);
QPixmap keyColourTransparent(const QPixmap& picture, QRgb key);

}  // namespace tonvel
