#include <gtest/gtest.h>

#include <QBitmap>
#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QString>
#include <algorithm>
#include <deque>
#include <vector>

#include "resources/skin/skin_resources.h"
#include "resources/skin_layout.h"

namespace tonvel::skin {
namespace {

const QRgb kWhite = qRgb(255, 255, 255);

bool isWhite(const QImage& image, int x, int y) {
    return (image.pixel(x, y) | 0xff000000u) == kWhite;
}

QImage piano() {
    initResources();
    return QImage(kPianoPicture);
}

struct Place {
    const char* name;
    Rect rect;
};

std::vector<Place> allPlaces() {
    std::vector<Place> places = {
        {"status line", kStatusLine},
        {"volume track", kVolumeTrack},
        {"volume hit area", kVolumeHitArea},
        {"volume pointer", kVolumePointer},
        {"tempo track", kTempoTrack},
        {"tempo hit area", kTempoHitArea},
        {"tempo pointer", kTempoPointer},
        {"key cover", kKeyCover},
        {"channel", kChannelLabel},
        {"instrument", kInstrumentLabel},
        {"rhythm", kRhythmLabel},
        {"base note", kBaseNoteLabel},
    };
    for (const Rect& r : kWindowButtons) places.push_back({"window button", r});
    for (const Rect& r : kBankButtons) places.push_back({"bank button", r});
    for (const Rect& r : kTransportButtons) places.push_back({"transport button", r});
    for (const Rect& r : kDragStrips) places.push_back({"drag strip", r});
    for (int i = 0; i < kPianoKeyCount; ++i) {
        places.push_back({"key", kKeyLower[i]});
        if (!isBlackKey(i)) places.push_back({"key top", kKeyUpper[i]});
    }
    for (int j = 0; j < kDrumPadCount; ++j) places.push_back({"drum pad", drumPad(j)});
    return places;
}

double lightness(QRgb c) {
    return 0.3 * qRed(c) + 0.59 * qGreen(c) + 0.11 * qBlue(c);
}

TEST(SkinPicture, EveryPictureHasItsSizeAndATwiceAsLargeSibling) {
    initResources();
    struct Expected {
        const char* name;
        QSize size;
    };
    const Expected pictures[] = {
        {"piano", {kWidth, kHeight}}, {"splash", {308, 204}},    {"volnormal", {14, 11}},
        {"volover", {14, 11}},        {"intronormal", {11, 14}}, {"introover", {11, 14}},
        {"butt0", {14, 12}},          {"butt1", {14, 12}},       {"butt2", {14, 12}},
        {"butt3", {14, 12}},          {"butt4", {14, 12}},       {"butt5", {14, 12}},
        {"transport0", {22, 18}},     {"transport1", {22, 18}},  {"transport2", {22, 18}},
        {"transport3", {34, 18}},     {"transport4", {34, 18}},
    };
    for (const Expected& e : pictures) {
        const QString base = QStringLiteral(":/skin/%1").arg(QLatin1String(e.name));
        EXPECT_EQ(QImage(base + ".png").size(), e.size) << e.name;
        EXPECT_EQ(QImage(base + "@2x.png").size(), e.size * 2) << e.name;
    }
    EXPECT_EQ(QImage(QString(kWindowButtonPattern).arg(4)).size(), QSize(14, 12));
}

TEST(SkinPicture, DenseScreensGetTheLargeVersionAtTheSameLogicalSize) {
    initResources();
    struct Case {
        QString path;
        double density;
        QSize pixels;
        double ratio;
    };
    const Case cases[] = {
        {QString::fromLatin1(kPianoPicture), 1.0, {kWidth, kHeight}, 1.0},
        {QString::fromLatin1(kPianoPicture), 2.0, {2 * kWidth, 2 * kHeight}, 2.0},
        {QString::fromLatin1(kPianoPicture), 1.5, {2 * kWidth, 2 * kHeight}, 2.0},
        {QString(kWindowButtonPattern).arg(5), 2.0, {28, 24}, 2.0},
        {QStringLiteral(":/skin/none.png"), 2.0, {0, 0}, 1.0},
    };
    for (const Case& c : cases) {
        const QPixmap p = pixmap(c.path, c.density);
        EXPECT_EQ(p.size(), c.pixels) << c.path.toStdString() << " at " << c.density;
        EXPECT_EQ(p.devicePixelRatio(), c.ratio) << c.path.toStdString() << " at " << c.density;
    }
}

TEST(SkinPicture, CornersAreCutAndEveryPlaceLiesInside) {
    const QImage skin = piano();
    ASSERT_EQ(skin.size(), QSize(kWidth, kHeight));
    for (const QPoint c : {QPoint(0, 0), QPoint(kWidth - 1, 0), QPoint(0, kHeight - 1),
                           QPoint(kWidth - 1, kHeight - 1)})
        EXPECT_TRUE(isWhite(skin, c.x(), c.y())) << c.x() << "," << c.y();
    for (const Place& place : allPlaces()) {
        const Rect& r = place.rect;
        ASSERT_GT(r.width, 0) << place.name;
        int whites = 0;
        for (int y = r.top; y < r.bottom(); ++y)
            for (int x = r.left; x < r.right(); ++x) whites += isWhite(skin, x, y);
        EXPECT_EQ(whites, 0) << place.name << " at " << r.left << "," << r.top;
    }
}

// A white pixel that cannot reach the border through white would punch a hole in the
// window; and the outline's edge must not fade towards white.
TEST(SkinPicture, WhiteOnlyOutsideAndTheEdgeIsClearlyDark) {
    const QImage skin = piano();
    std::vector<char> reached(kWidth * kHeight, 0);
    std::deque<QPoint> todo;
    for (int x = 0; x < kWidth; ++x)
        todo.insert(todo.end(), {QPoint(x, 0), QPoint(x, kHeight - 1)});
    for (int y = 0; y < kHeight; ++y)
        todo.insert(todo.end(), {QPoint(0, y), QPoint(kWidth - 1, y)});
    while (!todo.empty()) {
        const QPoint p = todo.front();
        todo.pop_front();
        if (p.x() < 0 || p.y() < 0 || p.x() >= kWidth || p.y() >= kHeight) continue;
        char& seen = reached[p.y() * kWidth + p.x()];
        if (seen || !isWhite(skin, p.x(), p.y())) continue;
        seen = 1;
        todo.insert(todo.end(),
                    {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
    }
    int holes = 0;
    int paleEdge = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (isWhite(skin, x, y)) {
                holes += !reached[y * kWidth + x];
                continue;
            }
            const bool onEdge =
                (x > 0 && isWhite(skin, x - 1, y)) || (x + 1 < kWidth && isWhite(skin, x + 1, y)) ||
                (y > 0 && isWhite(skin, x, y - 1)) || (y + 1 < kHeight && isWhite(skin, x, y + 1));
            paleEdge += onEdge && lightness(skin.pixel(x, y)) > 128;
        }
    EXPECT_EQ(holes, 0);
    EXPECT_EQ(paleEdge, 0);
}

TEST(SkinPicture, LargeVersionIsCutAlongTheSameOutline) {
    const QImage skin = piano();
    const QImage large(QStringLiteral(":/skin/piano@2x.png"));
    ASSERT_EQ(large.size(), skin.size() * 2);
    int mismatches = 0;
    for (int y = 0; y < large.height(); ++y)
        for (int x = 0; x < large.width(); ++x)
            mismatches += isWhite(large, x, y) != isWhite(skin, x / 2, y / 2);
    EXPECT_EQ(mismatches, 0);
}

TEST(SkinPicture, KeysAndLabelsShowWhereTheProgramExpectsThem) {
    const QImage skin = piano();
    auto centre = [&](const Rect& r) {
        return lightness(skin.pixel(r.left + r.width / 2, r.top + r.height / 2));
    };
    for (int i = 0; i < kPianoKeyCount; ++i) {
        if (isBlackKey(i)) {
            EXPECT_LT(centre(kKeyLower[i]), 80) << "black key " << i;
        } else {
            EXPECT_GT(centre(kKeyLower[i]), 190) << "white key " << i;
            EXPECT_GT(centre(kKeyUpper[i]), 190) << "white key top " << i;
        }
    }
    // Dark red text must stand out: light panels under every text the program writes.
    for (const Rect& r :
         {kStatusLine, kChannelLabel, kInstrumentLabel, kRhythmLabel, kBaseNoteLabel,
          kBankButtons[0], kBankButtons[3], kTransportButtons[0], kTransportButtons[4]})
        EXPECT_GT(centre(r), 190) << r.left << "," << r.top;
}

// The glyph's covered pixels: the height of each column from its first covered one to its
// last, and the width of each row that has any.
struct Profile {
    std::vector<int> columns, rows;
};

Profile profileOf(const QImage& glyph) {
    Profile p;
    std::vector<int> columns(static_cast<size_t>(glyph.width()), 0);
    for (int y = 0; y < glyph.height(); ++y) {
        int row = 0;
        for (int x = 0; x < glyph.width(); ++x) {
            const bool covered = qAlpha(glyph.pixel(x, y)) > 127;
            row += covered;
            columns[static_cast<size_t>(x)] += covered;
        }
        if (row > 0) p.rows.push_back(row);
    }
    const auto first = std::find_if(columns.begin(), columns.end(), [](int c) { return c > 0; });
    const auto last = std::find_if(columns.rbegin(), columns.rend(), [](int c) { return c > 0; });
    if (first != columns.end()) p.columns.assign(first, last.base());
    return p;
}

// Places where a column is much taller than the one before it: where a shape starts again.
int restarts(const std::vector<int>& columns) {
    int count = 0;
    for (size_t i = 1; i < columns.size(); ++i) count += columns[i] - columns[i - 1] > 4;
    return count;
}

bool narrowsDownwards(const std::vector<int>& rows) {
    for (size_t i = 1; i < rows.size(); ++i)
        if (rows[i] > rows[i - 1]) return false;
    return rows.size() > 4 && rows.front() > 3 * rows.back();
}

TEST(SkinPicture, TransportGlyphsShowTheirFiveSymbols) {
    initResources();
    struct Expected {
        int index;
        const char* what;
        int restarts;          // within the glyph, at the large size
        bool pointsDown;       // rows narrow from top to bottom
        bool fullFirstColumn;  // a straight edge on the left
    };
    const Expected glyphs[] = {
        {kPlay, "play: one triangle pointing right", 0, false, true},
        {kFill, "fill: two triangles and a bar", 2, false, true},
        {kPause, "pause: two bars", 1, false, true},
        {kEnding, "ending: one triangle pointing down", 0, true, false},
        {kStop, "stop: a square", 0, false, true},
    };
    for (const Expected& e : glyphs) {
        const QImage small(QStringLiteral(":/skin/transport%1.png").arg(e.index));
        const QImage large(QStringLiteral(":/skin/transport%1@2x.png").arg(e.index));
        ASSERT_FALSE(large.isNull()) << e.what;
        const Profile p = profileOf(large);
        ASSERT_FALSE(p.columns.empty()) << e.what;
        const int tallest = *std::max_element(p.columns.begin(), p.columns.end());
        EXPECT_EQ(restarts(p.columns), e.restarts) << e.what;
        EXPECT_EQ(narrowsDownwards(p.rows), e.pointsDown) << e.what;
        EXPECT_EQ(p.columns.front() >= tallest - 1, e.fullFirstColumn) << e.what;
        // Both sizes draw the same symbol, centred on the button and clear of its frame.
        for (const QImage& image : {small, large}) {
            const int scale = image.width() / small.width();
            const QRect covered =
                QRegion(QBitmap::fromImage(image.createAlphaMask())).boundingRect();
            EXPECT_NEAR(covered.center().x(), image.width() / 2, 2 * scale) << e.what;
            EXPECT_NEAR(covered.center().y(), image.height() / 2, 2 * scale) << e.what;
            EXPECT_GE(covered.top(), 3 * scale) << e.what;
            EXPECT_LE(covered.bottom(), image.height() - 3 * scale) << e.what;
        }
    }
}

// Engraved captions on the body must leave bare body between them and the panels beside them.
TEST(SkinPicture, CaptionsKeepClearOfThePanelsBesideThem) {
    const QImage skin = piano();
    const auto lit = [&](int x, int y) { return lightness(skin.pixel(x, y)) > 60; };
    // The tempo caption sits on the rhythm panel's row, left of it.
    const Rect panel = kRhythmLabel;
    int caption = 0, crowding = 0;
    for (int y = 72; y < 86; ++y) {
        for (int x = kTempoTrack.left - 16; x < panel.left - 4; ++x) caption += lit(x, y);
        for (int x = panel.left - 4; x < panel.left - 1; ++x) crowding += lit(x, y);
    }
    EXPECT_GT(caption, 20) << "the tempo caption is there";
    EXPECT_EQ(crowding, 0) << "and three pixels of body separate it from the panel";
}

}  // namespace
}  // namespace tonvel::skin
