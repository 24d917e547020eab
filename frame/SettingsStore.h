#pragma once

#include <QString>

namespace frame {

// The per-user settings store: string values under application name, section and key. A missing key gives the
// default (an empty value is not missing); every write is on disk when the call returns.
// On Windows the values live where they always have, under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>; elsewhere in an INI file
// ${XDG_CONFIG_HOME:-~/.config}/<app>/<app>.ini with one group per section, readable by the user alone (the
// password is kept in clear text, as stored settings have always had it).
QString GetSetting(const QString& appName, const QString& section, const QString& key, const QString& def = {});
void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value);

// The INI file that holds an application's settings on this machine (empty on Windows).
QString settingsFilePath(const QString& appName);

} // namespace frame
