#include "frame/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace frame {

namespace {

#ifndef Q_OS_WIN
[[noreturn]] void cannotWrite(const QString& file, const std::string& reason)
{
    throw std::runtime_error("Cannot write the settings file " + file.toStdString() + ": " + reason);
}

std::string systemReason(int error)
{
    return std::strerror(error);
}

// Creates the folder and any missing folder above it, each readable by the user alone.
void makeFolders(const QString& file)
{
    const QString folder = QFileInfo(file).absolutePath();
    QString path;
    for (const QString& part : folder.split('/', Qt::SkipEmptyParts)) {
        path += "/" + part;
        const QByteArray local = QFile::encodeName(path);
        if (::mkdir(local.constData(), 0700) != 0 && errno != EEXIST)
            cannotWrite(file, systemReason(errno));
    }
    struct stat st {};
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        cannotWrite(file, systemReason(errno));
    if (!S_ISDIR(st.st_mode))
        cannotWrite(file, systemReason(ENOTDIR));
}

// Makes sure the file exists and can be written, creating it readable by the user alone; a failure names the file
// and the system's reason.
void prepareForWriting(const QString& file)
{
    makeFolders(file);
    const QByteArray local = QFile::encodeName(file);
    const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        cannotWrite(file, systemReason(errno));
    ::close(fd);
}
#endif

std::unique_ptr<QSettings> openStore(const QString& appName, const QString& section)
{
#ifdef Q_OS_WIN
    auto s = std::make_unique<QSettings>("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\" + appName,
                                         QSettings::NativeFormat);
#else
    auto s = std::make_unique<QSettings>(settingsFilePath(appName), QSettings::IniFormat);
#endif
    s->beginGroup(section);
    return s;
}

[[noreturn]] void cannotRead(const QString& file, const std::string& reason)
{
    throw std::runtime_error("Cannot read the settings file " + file.toStdString() + ": " + reason);
}

std::map<std::string, std::string> sectionValues(QSettings& s, const QString& file)
{
    if (s.status() == QSettings::AccessError)
        cannotRead(file, "it cannot be opened");
    if (s.status() == QSettings::FormatError)
        cannotRead(file, "it is not in the settings file format");
    std::map<std::string, std::string> values;
    for (const QString& key : s.childKeys())
        values[key.toStdString()] = s.value(key).toString().toStdString();
    return values;
}

#ifndef Q_OS_WIN
// QSettings reads a file it cannot open as an empty one; the command line must say so instead.
void checkReadable(const QString& file)
{
    const QByteArray local = QFile::encodeName(file);
    struct stat st {};
    if (::stat(local.constData(), &st) != 0)
        cannotRead(file, systemReason(errno));
    if (!S_ISREG(st.st_mode))
        cannotRead(file, "it is not a file");
    if (::access(local.constData(), R_OK) != 0)
        cannotRead(file, systemReason(errno));
}
#endif

} // namespace

std::map<std::string, std::string> readSettingsSection(const QString& appName, const QString& section)
{
#ifndef Q_OS_WIN
    const QString file = settingsFilePath(appName);
    if (!QFileInfo::exists(file))
        return {};
    checkReadable(file);
#else
    const QString file = appName;
#endif
    auto s = openStore(appName, section);
    return sectionValues(*s, file);
}

std::map<std::string, std::string> readSettingsFile(const QString& file, const QString& section)
{
#ifndef Q_OS_WIN
    checkReadable(file);
#else
    if (!QFileInfo(file).isFile())
        cannotRead(file, "there is no such file");
#endif
    QSettings s(file, QSettings::IniFormat);
    s.beginGroup(section);
    return sectionValues(s, file);
}

QString settingsFilePath(const QString& appName)
{
#ifdef Q_OS_WIN
    Q_UNUSED(appName);
    return {};
#else
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + "/.config";
    return base + "/" + appName + "/" + appName + ".ini";
#endif
}

QString GetSetting(const QString& appName, const QString& section, const QString& key, const QString& def)
{
#ifndef Q_OS_WIN
    // Reading never creates anything: without a file every key is missing.
    if (!QFileInfo(settingsFilePath(appName)).isFile())
        return def;
#endif
    auto s = openStore(appName, section);
    return s->contains(key) ? s->value(key).toString() : def;
}

void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value)
{
#ifndef Q_OS_WIN
    const QString file = settingsFilePath(appName);
    prepareForWriting(file);
#endif
    auto s = openStore(appName, section);
    s->setValue(key, value);
    s->sync();
    // A file that did not read as INI (FormatError) is still written; only a failed write is a failure here.
    if (s->status() == QSettings::AccessError) {
#ifdef Q_OS_WIN
        throw std::runtime_error("Cannot write the setting " + key.toStdString());
#else
        // QSettings keeps no reason; writing in the folder is what it needs (it replaces the file).
        const QByteArray folder = QFile::encodeName(QFileInfo(file).absolutePath());
        cannotWrite(file, ::access(folder.constData(), W_OK) != 0 ? systemReason(errno) : "the file was not saved");
#endif
    }
#ifndef Q_OS_WIN
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#endif
}

} // namespace frame
