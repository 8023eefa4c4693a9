#include "app/command_line.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <string>
#include <vector>

#include "foundation/product.h"

namespace tonvel {
namespace {

CommandLineVerdict read(const std::vector<const char*>& words) {
    QStringList arguments{QStringLiteral("/usr/bin/tonvel")};
    for (const char* word : words) arguments << QString::fromUtf8(word);
    return readCommandLine(arguments);
}

struct StartCase {
    const char* name;
    std::vector<const char*> words;
};

class StartsTheProgram : public testing::TestWithParam<StartCase> {};

TEST_P(StartsTheProgram, AndPrintsNothing) {
    const CommandLineVerdict verdict = read(GetParam().words);
    EXPECT_TRUE(verdict.start);
    EXPECT_EQ(verdict.status, 0);
    EXPECT_TRUE(verdict.output.isEmpty());
    EXPECT_TRUE(verdict.error.isEmpty()) << verdict.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, StartsTheProgram,
    testing::Values(StartCase{"NoArguments", {}},
                    StartCase{"QtPlatform", {"-platform", "offscreen"}},
                    StartCase{"QtPlatformJoined", {"-platform=xcb"}},
                    StartCase{"QtDisplayAndStyle", {"-display", ":3", "-style", "fusion"}},
                    StartCase{"QtFlag", {"-reverse"}},
                    StartCase{"QtWindowTitle", {"-qwindowtitle", "Piano", "-sync"}},
                    StartCase{"AudioPeriod", {"--audio-period", "512"}},
                    StartCase{"AudioPeriodJoined", {"--audio-period=64"}},
                    StartCase{"SoundFont", {"--soundfont", "/usr/share/sounds/sf2/TimGM6mb.sf2"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct EndCase {
    const char* name;
    std::vector<const char*> words;
    int status;
    const char* output;  // a piece the standard output must hold, or "" for none at all
    const char* error;   // likewise for standard error
};

class EndsAtOnce : public testing::TestWithParam<EndCase> {};

TEST_P(EndsAtOnce, WithItsTextAndStatus) {
    const EndCase& c = GetParam();
    const CommandLineVerdict verdict = read(c.words);
    EXPECT_FALSE(verdict.start);
    EXPECT_EQ(verdict.status, c.status);
    const auto holds = [](const QString& text, const char* piece) {
        return *piece == '\0' ? text.isEmpty() : text.contains(QString::fromUtf8(piece));
    };
    EXPECT_TRUE(holds(verdict.output, c.output)) << verdict.output.toStdString();
    EXPECT_TRUE(holds(verdict.error, c.error)) << verdict.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, EndsAtOnce,
    testing::Values(
        EndCase{"LongVersion", {"--version"}, 0, "Tonvel ", ""},
        EndCase{"ShortVersion", {"-v"}, 0, "Tonvel ", ""},
        EndCase{"LongHelp", {"--help"}, 0, "Usage: tonvel [options]", ""},
        EndCase{"ShortHelp", {"-h"}, 0, "--version", ""},
        EndCase{"HelpWinsOverQtOptions", {"-platform", "xcb", "--help"}, 0, "--help", ""},
        EndCase{"UnknownLongOption", {"--bogus"}, 2, "", "tonvel: Unknown option 'bogus'."},
        EndCase{"UnknownShortOption", {"-x"}, 2, "", "Try 'tonvel --help'"},
        EndCase{"QtOptionWithoutItsValue", {"-platform"}, 2, "", "Missing value after"},
        EndCase{"StrayArgument", {"song.mid"}, 2, "", "Unexpected argument 'song.mid'."},
        EndCase{"ValueGivenToAFlag", {"--version=2"}, 2, "", "tonvel: "},
        EndCase{"AudioPeriodNotAPowerOfTwo",
                {"--audio-period", "100"},
                2,
                "",
                "Invalid audio period '100'"},
        EndCase{"AudioPeriodTooShort", {"--audio-period=32"}, 2, "", "from 64 to 8192"},
        EndCase{"AudioPeriodWithoutFrames", {"--audio-period"}, 2, "", "Missing value after"},
        EndCase{"SoundFontMissing",
                {"--soundfont", "/nonexistent/x.sf2"},
                2,
                "",
                "Cannot read the SoundFont '/nonexistent/x.sf2'."},
        EndCase{"SoundFontIsAFolder", {"--soundfont", "/usr"}, 2, "", "Cannot read the SoundFont"},
        EndCase{"HelpNamesTheSoundOptions", {"--help"}, 0, "--audio-period <frames>", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLine, VersionFollowsTheVersionRecord) {
    const QString expected = QStringLiteral("Tonvel %1.%2.%3\n")
                                 .arg(kVersionMajor)
                                 .arg(kVersionMinor)
                                 .arg(kVersionRevision);
    EXPECT_EQ(read({"--version"}).output, expected);
}

TEST(CommandLine, SoundOptionsReachTheSynthesizer) {
    const CommandLineVerdict plain = read({});
    EXPECT_FALSE(plain.sound.buffering.chosenByUser());
    EXPECT_TRUE(plain.sound.soundFont.empty());

    const QString relative =
        QStringLiteral("tonvel-test-%1.sf2").arg(QCoreApplication::applicationPid());
    QFile file(relative);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("RIFF\x04\x00\x00\x00sfbk", 12);
    file.close();
    const CommandLineVerdict chosen =
        read({"--audio-period", "1024", "--soundfont", relative.toUtf8().constData()});
    file.remove();
    EXPECT_TRUE(chosen.start);
    EXPECT_EQ(chosen.sound.buffering.periodFrames, 1024);
    EXPECT_EQ(chosen.sound.soundFont, QFileInfo(relative).absoluteFilePath().toStdString())
        << "a relative name is taken from the folder the program starts in";
}

TEST(CommandLine, AFileThatIsNoSoundFontIsRefusedAtOnce) {
    const QString empty =
        QStringLiteral("tonvel-test-%1-empty.sf2").arg(QCoreApplication::applicationPid());
    QFile file(empty);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const CommandLineVerdict verdict = read({"--soundfont", empty.toUtf8().constData()});
    file.remove();
    EXPECT_FALSE(verdict.start);
    EXPECT_EQ(verdict.status, 2);
    EXPECT_TRUE(verdict.error.contains(QStringLiteral("'%1': the file is empty").arg(empty)))
        << verdict.error.toStdString();
}

TEST(CommandLine, HelpKeepsQtOptionsOutOfSight) {
    const QString help = read({"--help"}).output;
    EXPECT_FALSE(help.contains(QStringLiteral("platform")));
    EXPECT_FALSE(help.contains(QStringLiteral("<executable_name>")));
}

}  // namespace
}  // namespace tonvel
