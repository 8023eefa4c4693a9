#include "app/program_directory.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/file_write.h"

namespace tonvel {

namespace {
bool canWriteIn(const QString& directory) {
    return canCreateFilesIn(directory.toStdString());
}

QString installedHelpDirectory(const QString& executableDirectory) {
    return QDir::cleanPath(executableDirectory + QStringLiteral("/../share/tonvel/help"));
}

bool holdsManual(const QString& helpDirectory) {
    return QFileInfo::exists(helpDirectory + QStringLiteral("/manual.htm"));
}
}  // namespace

QString chooseProgramDirectory(const QString& executableDirectory) {
    // An installed copy must not leave files in bin/, even where it may (root, ~/.local):
    // removing the package would leave them behind.
    const bool installed = holdsManual(installedHelpDirectory(executableDirectory));
    if (!installed && canWriteIn(executableDirectory)) return executableDirectory;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                         QStringLiteral("/tonvel");
    QDir().mkpath(data);
    return data;
}

QString chooseHelpDirectory(const QString& executableDirectory) {
    const QString beside = executableDirectory + QStringLiteral("/help");
    if (holdsManual(beside)) return beside;
    const QString shared = installedHelpDirectory(executableDirectory);
    if (holdsManual(shared)) return shared;
    return beside;
}

QString chooseRecordingsDirectory() {
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty()) music = QDir::homePath() + QStringLiteral("/Music");
    return music + QStringLiteral("/Tonvel");
}

}  // namespace tonvel
