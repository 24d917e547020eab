#include "frame/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>

namespace frame {

QString ProgramFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString besideProgram(const QString& backslashName)
{
    QString rest = backslashName;
    rest.replace('\\', QDir::separator());
    return ProgramFolder() + rest;
}

} // namespace frame
