#include "app/qt_desktop_shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace tonvel {

bool QtDesktopShell::openDocument(const std::string& path) {
    const QString file = QString::fromStdString(path);
    if (!QFileInfo::exists(file)) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

bool QtDesktopShell::openUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::TolerantMode));
}

}  // namespace tonvel
