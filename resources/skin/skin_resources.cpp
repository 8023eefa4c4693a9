#include "resources/skin/skin_resources.h"

#include <QFile>
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

QPixmap pixmap(const QString& plain, double devicePixelRatio) {
    if (devicePixelRatio > 1) {
        QString large = plain;
        large.insert(large.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
        if (QFile::exists(large)) {
            QPixmap sharp(large);
            sharp.setDevicePixelRatio(2);
            return sharp;
        }
    }
    return QPixmap(plain);
}

}  // namespace tonvel::skin
