#include "app/command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <array>
#include <cstdio>
#include <string>

#include "foundation/product.h"
#include "midi/synth/soundfont_locator.h"

namespace tonvel {

namespace {

struct QtOption {
    const char* name;
    bool takesValue;
};

// The options QGuiApplication and QApplication take out of the arguments themselves.
constexpr std::array kQtOptions{
    QtOption{"platform", true},      QtOption{"platformpluginpath", true},
    QtOption{"platformtheme", true}, QtOption{"plugin", true},
    QtOption{"qmljsdebugger", true}, QtOption{"qwindowgeometry", true},
    QtOption{"qwindowicon", true},   QtOption{"qwindowtitle", true},
    QtOption{"session", true},       QtOption{"display", true},
    QtOption{"geometry", true},      QtOption{"name", true},
    QtOption{"title", true},         QtOption{"icon", true},
    QtOption{"visual", true},        QtOption{"ncols", true},
    QtOption{"style", true},         QtOption{"stylesheet", true},
    QtOption{"reverse", false},      QtOption{"widgetcount", false},
    QtOption{"nograb", false},       QtOption{"dograb", false},
    QtOption{"sync", false},         QtOption{"cmap", false},
};

QString versionText() {
    return QStringLiteral("Tonvel %1.%2.%3\n")
        .arg(kVersionMajor)
        .arg(kVersionMinor)
        .arg(kVersionRevision);
}

CommandLineVerdict refuse(const QString& program, const QString& reason) {
    return {
        .start = false,
        .status = 2,
        .error =
            QStringLiteral("%1: %2\nTry '%1 --help' for more information.\n").arg(program, reason)};
}

}  // namespace

CommandLineVerdict readCommandLine(const QStringList& arguments) {
    const QString program =
        arguments.isEmpty() ? QStringLiteral("tonvel") : QFileInfo(arguments.first()).fileName();
    QCommandLineParser parser;
    // Qt's own options are written with one dash: "-platform xcb".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "A virtual piano: the computer keyboard plays the built-in synthesizer "
        "or any MIDI port of the system.\nSpace is the sustain pedal. MIDI keyboards are "
        "connected to Tonvel's input port (ALSA sequencer, and JACK while a server runs) as "
        "they are plugged in, and play as the keys do; other sources are connected from the "
        "settings menu (Alt+S, Midi Input). With \"Mouse Plays Keys\" checked there, the "
        "mouse and fingers play the keys on the screen; \"Sound Font...\" there (or an .sf2 or "
        ".sf3 file dropped on the window) changes the built-in synthesizer's SoundFont while "
        "playing goes on, and \"Reverb\" and \"Chorus\" switch its effects.\nCtrl+R records, "
        "Ctrl+P plays the last "
        "recording or the song opened with Ctrl+O (a MIDI file; Wait for Me in the main menu "
        "waits for the player's part), Ctrl+E exports either as a WAV or FLAC file.\nAn "
        "installed copy keeps its settings "
        "in ~/.local/share/tonvel. The users manual opens from the help menu (Alt+H)."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption period(
        QStringLiteral("audio-period"),
        QStringLiteral("Frames the built-in synthesizer renders at a time: a power of two from "
                       "%1 to %2. Larger periods add delay and resist dropouts on a busy "
                       "machine. By default %3 where the sound can run at real-time priority, "
                       "else %4; a JACK server sets its own.")
            .arg(AudioBuffering::kSmallest)
            .arg(AudioBuffering::kLargest)
            .arg(AudioBuffering::kShortPeriod)
            .arg(AudioBuffering::kSafePeriod),
        QStringLiteral("frames"));
    const QCommandLineOption soundFont(
        QStringLiteral("soundfont"),
        QStringLiteral("The SoundFont the built-in synthesizer plays for this run, instead of "
                       "the one chosen from the settings menu or the system's General MIDI set."),
        QStringLiteral("file"));
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(period);
    parser.addOption(soundFont);
    for (const QtOption& qt : kQtOptions) {
        QCommandLineOption option(QString::fromLatin1(qt.name));
        if (qt.takesValue) option.setValueName(QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }

    if (!parser.parse(arguments)) return refuse(program, parser.errorText());
    if (parser.isSet(help)) {
        // Qt names the program after the running application, when there is one.
        QString text = parser.helpText();
        text.replace(0, text.indexOf(QLatin1Char('\n')),
                     QStringLiteral("Usage: %1 [options]").arg(program));
        return {.start = false, .output = text};
    }
    if (parser.isSet(version)) return {.start = false, .output = versionText()};
    if (!parser.positionalArguments().isEmpty())
        return refuse(
            program,
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));
    CommandLineVerdict verdict;
    if (parser.isSet(period)) {
        const QString frames = parser.value(period);
        const auto parsed = parseAudioPeriod(frames.toStdString());
        if (!parsed)
            return refuse(program, QStringLiteral("Invalid audio period '%1': a power of two from "
                                                  "%2 to %3 is needed.")
                                       .arg(frames)
                                       .arg(AudioBuffering::kSmallest)
                                       .arg(AudioBuffering::kLargest));
        verdict.sound.buffering.periodFrames = *parsed;
    }
    if (parser.isSet(soundFont)) {
        const QFileInfo file(parser.value(soundFont));
        if (!file.isFile() || !file.isReadable())
            return refuse(program,
                          QStringLiteral("Cannot read the SoundFont '%1'.").arg(file.filePath()));
        // Refused now rather than at the first key, where it could only be "no MIDI output".
        if (const auto problem = soundFontProblem(file.absoluteFilePath().toStdString()))
            return refuse(program, QStringLiteral("Cannot use the SoundFont '%1': %2.")
                                       .arg(file.filePath(), QString::fromStdString(*problem)));
        verdict.sound.soundFont = file.absoluteFilePath().toStdString();
    }
    return verdict;
}

std::optional<int> answerCommandLine(int argc, char** argv, SoundOptions& sound) {
    if (argc <= 1) return std::nullopt;
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLineVerdict verdict = readCommandLine(arguments);
    if (verdict.start) {
        sound = verdict.sound;
        return std::nullopt;
    }
    std::fputs(verdict.output.toLocal8Bit().constData(), stdout);
    std::fputs(verdict.error.toLocal8Bit().constData(), stderr);
    return verdict.status;
}

}  // namespace tonvel
