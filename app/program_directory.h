#pragma once

#include <QString>

namespace tonvel {

// Where the program keeps its files: beside the executable when that folder is writable
// and the program is not installed (a build tree, a portable folder); otherwise the
// per-user data folder, $XDG_DATA_HOME/tonvel (~/.local/share/tonvel).
QString chooseProgramDirectory(const QString& executableDirectory);

// The folder holding help/manual.htm: beside the executable, then the installed share folder.
QString chooseHelpDirectory(const QString& executableDirectory);

}  // namespace tonvel
