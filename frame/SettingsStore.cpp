#include "frame/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <memory>
#include <stdexcept>

namespace frame {

namespace {

std::unique_ptr<QSettings> openStore(const QString& appName, const QString& section)
{
#ifdef Q_OS_WIN
    auto s = std::make_unique<QSettings>("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\" + appName,
                                         QSettings::NativeFormat);
#else
    const QString file = settingsFilePath(appName);
    if (!QFile::exists(file)) {
        // Create it readable by the user alone before the first value goes in.
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly))
            throw std::runtime_error("Cannot create the settings file " + file.toStdString());
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    auto s = std::make_unique<QSettings>(file, QSettings::IniFormat);
#endif
    s->beginGroup(section);
    return s;
}

} // namespace

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
    auto s = openStore(appName, section);
    return s->contains(key) ? s->value(key).toString() : def;
}

void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value)
{
    auto s = openStore(appName, section);
    s->setValue(key, value);
    s->sync();
    if (s->status() != QSettings::NoError)
        throw std::runtime_error("Cannot write the setting " + key.toStdString());
#ifndef Q_OS_WIN
    QFile::setPermissions(settingsFilePath(appName), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#endif
}

} // namespace frame
