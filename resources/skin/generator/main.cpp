// Paints the skin pictures into the folder given as the only argument.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>
#include <functional>

#include "resources/skin/generator/desktop_icon.h"
#include "resources/skin/generator/dialog_parts.h"
#include "resources/skin/generator/skin_picture.h"
#include "resources/skin/generator/small_parts.h"
#include "resources/skin/generator/splash.h"
#include "resources/skin/generator/transport_symbols.h"

namespace {

using namespace tonvel::skin::art;

bool save(const QDir& dir, const QString& name, const std::function<QImage(int)>& paint) {
    for (int scale : {1, 2}) {
        QImage image = paint(scale);
        image.setDevicePixelRatio(1);  // keep the PNG free of a density tag
        const QString file = dir.filePath(scale == 1 ? name + ".png" : name + "@2x.png");
        if (!image.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    bool ok = save(dir, "piano", mainSkin) && save(dir, "splash", splashPicture) &&
              save(dir, "volnormal", [](int s) { return volumeKnobPicture(false, s); }) &&
              save(dir, "volover", [](int s) { return volumeKnobPicture(true, s); }) &&
              save(dir, "intronormal", [](int s) { return tempoKnobPicture(false, s); }) &&
              save(dir, "introover", [](int s) { return tempoKnobPicture(true, s); }) &&
              save(dir, "nbut0", [](int s) { return buttonFacePicture(false, s); }) &&
              save(dir, "nbut1", [](int s) { return buttonFacePicture(true, s); }) &&
              save(dir, "xit0", [](int s) { return closeButtonPicture(false, s); }) &&
              save(dir, "xit1", [](int s) { return closeButtonPicture(true, s); }) &&
              save(dir, "icon", programIconPicture);
    for (int i = 0; ok && i < 6; ++i)
        ok = save(dir, QStringLiteral("butt%1").arg(i),
                  [i](int s) { return windowButtonPicture(i, s); });
    for (int i = 0; ok && i < 5; ++i)
        ok = save(dir, QStringLiteral("transport%1").arg(i),
                  [i](int s) { return transportSymbolPicture(i, s); });
    ok = ok && writeDesktopIcons(dir);
    return ok ? 0 : 1;
}
