#include "resources/skin/skin_resources.h"

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QPixmap>
#include <QString>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerSkin() {
    Q_INIT_RESOURCE(skin);
}

namespace tonvel::skin {

void initResources() {
    static const bool registered = (registerSkin(), true);
    (void)registered;
}

QImage image(const QString& path) {
    // Qt's own PNG reader, told the format: left to find it out, Qt first asks every image
    // format plugin (SVG, JPEG, GIF, ICO) whether it knows the data, which loads them all.
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap pixmap(const QString& plain, double devicePixelRatio) {
    if (devicePixelRatio > 1) {
        QString large = plain;
        large.insert(large.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
        if (QFile::exists(large)) {
            QPixmap sharp = QPixmap::fromImage(image(large));
            sharp.setDevicePixelRatio(2);
            return sharp;
        }
    }
    return QPixmap::fromImage(image(plain));
}

QIcon programIcon() {
    QIcon icon;
    icon.addPixmap(pixmap(QString::fromLatin1(kProgramIcon), 1));
    icon.addPixmap(pixmap(QString::fromLatin1(kProgramIcon), 2));
    return icon;
}

}  // namespace tonvel::skin
