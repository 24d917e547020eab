#include "cli/Settings.h"

#include "frame/BuildConstants.h"
#include "frame/ProgramFiles.h"
#include "frame/SettingsStore.h"

namespace cli {

namespace {

std::string valueOr(const SettingValues& settings, const char* key, const std::string& fallback = {})
{
    const auto found = settings.find(key);
    return found == settings.end() ? fallback : found->second;
}

} // namespace

SettingValues loadSettings(const Options& options)
{
    SettingValues values =
        options.settingsFile
            ? frame::readSettingsFile(QString::fromStdString(*options.settingsFile), frame::build::SettingsSection)
            : frame::readSettingsSection(frame::build::SettingsApp, frame::build::SettingsSection);
    if (options.samples) {
        // What the connection window's "Load Sample/Example Database" button puts in.
        values.insert_or_assign("FoxproOption", std::string(1, '2'));
        values.insert_or_assign("FreeTableFolder",
                                frame::sampleFolder(frame::ProgramFolder(), frame::userDataFolder()).toStdString());
    }
    for (const auto& [key, value] : options.overrides)
        values[key] = value;
    return values;
}

frame::ConnectionFields connectionFields(const SettingValues& settings)
{
    frame::ConnectionFields f;
    f.aseServer = valueOr(settings, "ASEServer");
    f.asePort = valueOr(settings, "ASEPort", "5000");
    f.aseUser = valueOr(settings, "ASEUser");
    f.asePassword = valueOr(settings, "ASEPassword");
    f.aseDatabase = valueOr(settings, "ASEDatabase");
    f.dbcFile = valueOr(settings, "DBCFile");
    f.freeTableFolder = valueOr(settings, "FreeTableFolder");
    f.useDbcFile = valueOr(settings, "FoxproOption") != "2";
    f.connectDeadline = valueOr(settings, "ConnectDeadline");
    f.queryTimeout = valueOr(settings, "QueryTimeout");
    return f;
}

} // namespace cli
