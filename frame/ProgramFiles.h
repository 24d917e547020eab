#pragma once

#include <QString>

namespace frame {

// The folder of the program's executable, without a trailing separator. Needs the Qt application object.
QString ProgramFolder();

// Where one of the program's own files is (the hand cursor, the sample folder, the skin): beside the executable,
// as in a build folder, else in the installed data folder, "../share/corvalen" from the executable's folder. The
// name is relative with '/' separators. When neither place holds it, the place beside the executable.
QString programFile(const QString& programFolder, const QString& name);

// A file of the program's, named as the program folder followed by a text that starts with a backslash
// ("\\HAND-M.CUR", "\\x\\o.cjs"); the backslashes become the platform's separator. Found as programFile finds it.
// The windows and the command line find their files through this one function.
QString besideProgram(const QString& backslashName);

// The per-user data folder: $XDG_DATA_HOME/corvalen, by default ~/.local/share/corvalen.
QString userDataFolder();

// The folder of sample tables the sample command puts into the folder field. One beside the executable is used
// where it is. An installed one is shared by every user and not theirs to write, yet sends and deletions write
// into the folder they work on: it is copied once into `userData`/Samples and that copy is used from then on,
// keeping whatever the user changed in it. A copy that fails throws.
QString sampleFolder(const QString& programFolder, const QString& userData);

} // namespace frame
