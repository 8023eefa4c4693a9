#include "app/application_identity.h"

#include <QApplication>
#include <QIcon>

#include "foundation/product.h"
#include "resources/skin/skin_resources.h"

namespace tonvel {

void nameApplication() {
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
    const QString id = QString::fromLatin1(kApplicationId);
    // Lets a Wayland compositor find the desktop entry, and so the icon, for our windows.
    QGuiApplication::setDesktopFileName(id);
    // The installed icon when there is one; the built-in picture when run from a build tree.
    QApplication::setWindowIcon(QIcon::fromTheme(id, skin::programIcon()));
}

}  // namespace tonvel
