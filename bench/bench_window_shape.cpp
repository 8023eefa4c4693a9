// Cutting the main window's shape out of its 522 x 251 skin: Qt's mask conversion
// against building the region one pixel at a time.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>

#include "app/window_shape.h"
#include "resources/skin/skin_resources.h"

namespace {

const QImage& skin() {
    static const QImage picture = [] {
        if (!QGuiApplication::instance()) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "bench_window_shape";
            static char* argv[] = {name, nullptr};
            new QGuiApplication(argc, argv);  // lives until exit, like the program's
        }
        tonvel::skin::initResources();
        return QImage(QString::fromLatin1(tonvel::skin::kPianoPicture));
    }();
    return picture;
}

void BM_KeyColourRegionQt(benchmark::State& state) {
    const QImage& picture = skin();
    if (picture.isNull()) state.SkipWithError("skin picture missing");
    for (auto _ : state)
        benchmark::DoNotOptimize(tonvel::keyColourRegion(picture, qRgb(255, 255, 255)));
}
BENCHMARK(BM_KeyColourRegionQt)->Unit(benchmark::kMillisecond);

void BM_KeyColourRegionPerPixel(benchmark::State& state) {
    const QImage& picture = skin();
    if (picture.isNull()) state.SkipWithError("skin picture missing");
    for (auto _ : state)
        benchmark::DoNotOptimize(tonvel::keyColourRegionPerPixel(picture, qRgb(255, 255, 255)));
}
BENCHMARK(BM_KeyColourRegionPerPixel)->Unit(benchmark::kMillisecond);

}  // namespace
