#pragma once

#include <QString>

namespace tonvel {

// Where the program keeps its files: beside the executable when that folder is
// writable (a build tree, a portable folder), otherwise the per-user data folder.
QString chooseProgramDirectory(const QString& executableDirectory);

// The folder holding help/manual.htm: beside the executable, then the installed share folder.
QString chooseHelpDirectory(const QString& executableDirectory);

}  // namespace tonvel
