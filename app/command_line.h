#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "midi/synth/sound_options.h"

namespace tonvel {

// What the arguments ask for: start the program, or print a text and end with a status.
struct CommandLineVerdict {
    bool start = true;
    int status = 0;
    QString output;      // for standard output
    QString error;       // for standard error
    SoundOptions sound;  // when starting
};

// Reads the arguments (the first is the program's own name). Qt's own window options
// are let through for QApplication to take.
CommandLineVerdict readCommandLine(const QStringList& arguments);

// Answers --help and --version, and refuses what the program does not know, before any
// window or display is needed. Returns the exit status when the program should end here;
// otherwise fills in the sound options given.
std::optional<int> answerCommandLine(int argc, char** argv, SoundOptions& sound);

}  // namespace tonvel
