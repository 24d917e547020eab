#pragma once

#include <QString>
#include <map>
#include <string>

namespace frame {

// The per-user settings store: string values under application name, section and key. A missing key gives the
// default (an empty value is not missing); every write is on disk when the call returns.
// On Windows the values live where they always have, under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>; elsewhere in an INI file
// ${XDG_CONFIG_HOME:-~/.config}/<app>/<app>.ini with one group per section, readable by the user alone (the
// password is kept in clear text, as stored settings have always had it).
QString GetSetting(const QString& appName, const QString& section, const QString& key, const QString& def = {});
void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value);

// Every key of a section at once, for the command line: from the user's store (no settings file: no keys), or from
// an INI file in the store's format, which must exist. A file that cannot be read throws std::runtime_error
// naming it and why.
std::map<std::string, std::string> readSettingsSection(const QString& appName, const QString& section);
std::map<std::string, std::string> readSettingsFile(const QString& file, const QString& section);

// The INI file that holds an application's settings on this machine (empty on Windows).
QString settingsFilePath(const QString& appName);

} // namespace frame
