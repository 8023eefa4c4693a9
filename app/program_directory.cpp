#include "app/program_directory.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace tonvel {

namespace {
bool canWriteIn(const QString& directory) {
    QTemporaryFile probe(directory + QStringLiteral("/.tonvel-write-test-XXXXXX"));
    return probe.open();
}
}  // namespace

QString chooseProgramDirectory(const QString& executableDirectory) {
    if (canWriteIn(executableDirectory)) return executableDirectory;
    const QString data = QDir::homePath() + QStringLiteral("/.local/share/tonvel");
    QDir().mkpath(data);
    return data;
}

QString chooseHelpDirectory(const QString& executableDirectory) {
    const QString beside = executableDirectory + QStringLiteral("/help");
    if (QFileInfo::exists(beside + QStringLiteral("/manual.htm"))) return beside;
    const QString shared =
        QDir::cleanPath(executableDirectory + QStringLiteral("/../share/tonvel/help"));
    if (QFileInfo::exists(shared + QStringLiteral("/manual.htm"))) return shared;
    return beside;
}

}  // namespace tonvel
