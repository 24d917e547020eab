#include "frame/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace frame {

namespace {

fs::path toPath(const QString& path)
{
    return fs::path(path.toStdU16String());
}

// Copies the folder under a temporary name and renames it only when whole, so an interrupted copy is never taken
// for the user's samples; a failed copy leaves nothing behind. The copies are the user's to change, whatever the
// installed files' modes.
void copyFolder(const QString& fromText, const QString& toText)
{
    const fs::path from = toPath(fromText);
    const fs::path to = toPath(toText);
    fs::path partial = to;
    partial += ".partial";
    std::error_code error;
    fs::remove_all(partial, error);
    if (!error)
        fs::create_directories(to.parent_path(), error);
    if (!error)
        fs::copy(from, partial, fs::copy_options::recursive, error);
    if (!error)
        fs::permissions(partial, fs::perms::owner_all, fs::perm_options::add, error);
    // (The iterator's constructor clears an earlier error, so it starts only when everything before went well.)
    if (!error) {
        for (fs::recursive_directory_iterator it(partial, error); !error && it != fs::recursive_directory_iterator();
             it.increment(error)) {
            const bool folder = it->is_directory(error);
            if (!error)
                fs::permissions(it->path(),
                                folder ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write,
                                fs::perm_options::add, error);
        }
    }
    if (!error)
        fs::rename(partial, to, error);
    if (error) {
        std::error_code ignored;
        fs::remove_all(partial, ignored);
        throw std::runtime_error("The sample tables cannot be copied from " + fromText.toStdString() + " to " +
                                 toText.toStdString() + ": " + error.message() + ".");
    }
}

} // namespace

QString ProgramFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString programFile(const QString& programFolder, const QString& name)
{
    QString beside = programFolder + '/' + name;
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(programFolder + "/../share/corvalen/" + name);
    return QFileInfo::exists(installed) ? installed : beside;
}

QString besideProgram(const QString& backslashName)
{
    QString name = backslashName.mid(1);
    name.replace('\\', '/');
    return QDir::toNativeSeparators(programFile(QCoreApplication::applicationDirPath(), name));
}

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/corvalen";
}

QString sampleFolder(const QString& programFolder, const QString& userData)
{
    const QString found = programFile(programFolder, "Samples");
    if (found == programFolder + "/Samples")
        return QDir::toNativeSeparators(found);
    const QString copy = userData + "/Samples";
    if (!QFileInfo::exists(copy))
        copyFolder(found, copy);
    return QDir::toNativeSeparators(copy);
}

} // namespace frame
