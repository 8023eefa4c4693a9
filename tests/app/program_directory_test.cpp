#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/program_directory.h"

namespace tonvel {
namespace {

TEST(ProgramDirectory, BesideTheExecutableWhenWritableElseThePerUserFolder) {
    QTemporaryDir executable;
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    EXPECT_EQ(chooseProgramDirectory(executable.path()), executable.path());
    const QString missing = executable.path() + QStringLiteral("/not-there");
    const QString chosen = chooseProgramDirectory(missing);
    EXPECT_EQ(chosen, home.path() + QStringLiteral("/.local/share/tonvel"));
    EXPECT_TRUE(QDir(chosen).exists());
    qputenv("HOME", oldHome);
}

TEST(ProgramDirectory, HelpBesideTheExecutableThenTheSharedFolder) {
    QTemporaryDir prefix;
    const QString bin = prefix.path() + QStringLiteral("/bin");
    const QString shared = prefix.path() + QStringLiteral("/share/tonvel/help");
    QDir().mkpath(bin);
    QDir().mkpath(shared);
    QFile(shared + QStringLiteral("/manual.htm")).open(QIODevice::WriteOnly);
    EXPECT_EQ(chooseHelpDirectory(bin), shared);
    QDir().mkpath(bin + QStringLiteral("/help"));
    QFile(bin + QStringLiteral("/help/manual.htm")).open(QIODevice::WriteOnly);
    EXPECT_EQ(chooseHelpDirectory(bin), bin + QStringLiteral("/help"));
}

}  // namespace
}  // namespace tonvel
