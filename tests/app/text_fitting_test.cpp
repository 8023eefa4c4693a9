#include "app/text_fitting.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>

namespace tonvel {
namespace {

QFont labelFont(int pixels, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

TEST(TextFitting, TextsFitTheirPlaceWholeWhenANarrowerOrSmallerFontWillDo) {
    struct Case {
        const char* what;
        QString text;
        int pixels;
        bool bold;
        qreal width;
        bool narrowed;  // a narrower or smaller font than asked for
        bool whole;     // no ellipsis
    };
    // The instrument panel leaves 140 pixels inside its margins; a key label about 9.
    const Case cases[] = {
        {"a short name", QStringLiteral("Piano"), 11, true, 140, false, true},
        {"the longest built-in name", QStringLiteral("Acoustic String Ensemble 1"), 11, true, 140,
         true, true},
        {"its twin", QStringLiteral("Acoustic String Ensemble 2"), 11, true, 140, true, true},
        {"a name typed into the names file",
         QStringLiteral("My Very Own Grand Piano Sampled In A Cathedral"), 11, true, 140, true,
         false},
        {"one very long word", QString(80, QLatin1Char('W')), 11, true, 140, true, false},
        {"a wide letter on a key", QStringLiteral("\u0416"), 11, false, 9, true, true},
        {"a narrow letter on a key", QStringLiteral("I"), 11, false, 9, false, true},
        {"nothing", QString(), 11, true, 140, false, true},
    };
    for (const Case& c : cases) {
        const QFont font = labelFont(c.pixels, c.bold);
        const FittedText fitted = fitText(c.text, font, c.width);
        EXPECT_LE(QFontMetricsF(fitted.font).horizontalAdvance(fitted.text), c.width) << c.what;
        const bool narrowed =
            fitted.font.stretch() < 100 || fitted.font.pixelSize() < font.pixelSize();
        EXPECT_EQ(narrowed, c.narrowed) << c.what;
        EXPECT_GE(fitted.font.pixelSize(), c.pixels - 2) << c.what << ": still readable";
        EXPECT_EQ(fitted.font.bold(), c.bold) << c.what;
        EXPECT_EQ(fitted.text == c.text, c.whole) << c.what;
        if (!c.whole) {
            EXPECT_TRUE(fitted.text.endsWith(QChar(0x2026))) << c.what;
            EXPECT_TRUE(c.text.startsWith(fitted.text.chopped(1))) << c.what;
        }
    }
}

}  // namespace
}  // namespace tonvel
