#include "UiFixture.h"

#include "commands/AseConnection.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "db/builtin/BuiltinProviders.h"
#include "db/vfp/table/TableFiles.h"
#include "frame/BuildConstants.h"
#include "frame/SettingsStore.h"

#include <QListWidget>

UiTest::UiTest() : m_savedConfigHome(qgetenv("XDG_CONFIG_HOME"))
{
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_config.str()));
    db::registerBuiltinProviders();
}

UiTest::~UiTest()
{
    m_form1.reset();
    qputenv("XDG_CONFIG_HOME", m_savedConfigHome);
}

void UiTest::store(const char* key, const QString& value)
{
    frame::SaveSetting(frame::build::SettingsApp, frame::build::SettingsSection, key, value);
}

QString UiTest::stored(const char* key, const QString& fallback)
{
    return frame::GetSetting(frame::build::SettingsApp, frame::build::SettingsSection, key, fallback);
}

void UiTest::addFoxProTable(const std::filesystem::path& folder, const std::string& table, int rows)
{
    db::vfp::FieldDef id{"ID", 'I', 4};
    db::vfp::FieldDef name{"NAME", 'C', 20};
    const auto dbf = folder / (table + ".dbf");
    db::vfp::createTableFiles(dbf, {id, name}, 0x03);
    db::vfp::TableAppender appender(dbf);
    for (int i = 1; i <= rows; ++i)
        appender.append({db::Value(i), db::Value("row " + std::to_string(i))});
}

std::filesystem::path UiTest::foxProFolder(const std::string& table, int rows)
{
    const auto folder = m_data.path() / "foxpro";
    std::filesystem::create_directories(folder);
    addFoxProTable(folder, table, rows);
    return folder;
}

QString UiTest::standInServer() const
{
    return QString::fromStdString("sqlite:" + (m_data.path() / "server.db").string());
}

void UiTest::storeWorkingSettings(const std::filesystem::path& folder)
{
    store("ASEServer", standInServer());
    store("FreeTableFolder", QString::fromStdString(folder.string()));
    store("FoxproOption", "2");
}

long long UiTest::serverRowCount(const std::string& table)
{
    frame::ConnectionFields fields;
    fields.aseServer = standInServer().toStdString();
    fields.asePort = "5000";
    db::Connection connection;
    connection.Open(commands::aseConnectionString(fields));
    db::Recordset rows;
    rows.Open("SELECT * FROM [" + table + "]", connection);
    return rows.RecordCount();
}

ui::Form1& UiTest::startForm1()
{
    m_form1 = std::make_unique<ui::Form1>();
    m_form1->setWebSiteVisit([] {});
    m_form1->start();
    return *m_form1;
}

std::vector<std::string> entries(const QListWidget& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i)
        out.push_back(list.item(i)->text().toStdString());
    return out;
}
