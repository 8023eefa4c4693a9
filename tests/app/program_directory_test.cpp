#include "app/program_directory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>

namespace tonvel {
namespace {

// Sets an environment variable for the life of the object; an empty value unsets it.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const QString& value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
        if (value.isEmpty())
            qunsetenv(name);
        else
            qputenv(name, value.toUtf8());
    }
    ~ScopedEnvironment() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

  private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

void touch(const QString& file) {
    QDir().mkpath(QFileInfo(file).path());
    QFile(file).open(QIODevice::WriteOnly);
}

enum class Expect { Beside, PerUser, XdgData };

struct DirectoryCase {
    const char* name;
    bool executableExists;  // a missing folder cannot be written, like a read-only prefix
    bool installed;         // share/tonvel/help/manual.htm beside bin/
    bool xdgDataHome;
    Expect expect;
};

class ProgramDirectoryChoice : public testing::TestWithParam<DirectoryCase> {};

TEST_P(ProgramDirectoryChoice, PicksTheRightFolder) {
    const DirectoryCase& c = GetParam();
    QTemporaryDir prefix, home, xdg;
    const ScopedEnvironment homeVariable("HOME", home.path());
    const ScopedEnvironment xdgVariable("XDG_DATA_HOME", c.xdgDataHome ? xdg.path() : QString());
    const QString bin = prefix.path() + QStringLiteral("/bin");
    if (c.executableExists) QDir().mkpath(bin);
    if (c.installed) touch(prefix.path() + QStringLiteral("/share/tonvel/help/manual.htm"));

    const QString chosen = chooseProgramDirectory(bin);
    switch (c.expect) {
        case Expect::Beside:
            EXPECT_EQ(chosen, bin);
            break;
        case Expect::PerUser:
            EXPECT_EQ(chosen, home.path() + QStringLiteral("/.local/share/tonvel"));
            break;
        case Expect::XdgData:
            EXPECT_EQ(chosen, xdg.path() + QStringLiteral("/tonvel"));
            break;
    }
    EXPECT_TRUE(QDir(chosen).exists());
    // Nothing may be left in an installed bin/ by the choice itself.
    if (c.installed && c.executableExists) {
        EXPECT_TRUE(QDir(bin).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }
}

INSTANTIATE_TEST_SUITE_P(
    ProgramDirectory, ProgramDirectoryChoice,
    testing::Values(DirectoryCase{"WritableBuildTree", true, false, false, Expect::Beside},
                    DirectoryCase{"WritableBuildTreeIgnoresXdg", true, false, true, Expect::Beside},
                    DirectoryCase{"ReadOnlyFolder", false, false, false, Expect::PerUser},
                    DirectoryCase{"ReadOnlyPrefix", false, true, false, Expect::PerUser},
                    DirectoryCase{"WritableInstalledPrefix", true, true, false, Expect::PerUser},
                    DirectoryCase{"InstalledWithXdgDataHome", true, true, true, Expect::XdgData}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramDirectory, HelpBesideTheExecutableThenTheSharedFolder) {
    QTemporaryDir prefix;
    const QString bin = prefix.path() + QStringLiteral("/bin");
    const QString shared = prefix.path() + QStringLiteral("/share/tonvel/help");
    QDir().mkpath(bin);
    EXPECT_EQ(chooseHelpDirectory(bin), bin + QStringLiteral("/help"));
    touch(shared + QStringLiteral("/manual.htm"));
    EXPECT_EQ(chooseHelpDirectory(bin), shared);
    touch(bin + QStringLiteral("/help/manual.htm"));
    EXPECT_EQ(chooseHelpDirectory(bin), bin + QStringLiteral("/help"));
}

}  // namespace
}  // namespace tonvel
