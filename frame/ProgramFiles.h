#pragma once

#include <QString>

namespace frame {

// The folder of the program's executable, without a trailing separator. Needs the Qt application object.
QString ProgramFolder();

// A file beside the program, named as the program folder followed by a text that starts with a backslash
// ("\\HAND-M.CUR", "\\Samples"); the backslashes become the platform's separator. The windows and the command
// line find their files through this one function.
QString besideProgram(const QString& backslashName);

} // namespace frame
