#include "CliFixture.h"

#include "commands/AseConnection.h"
#include "commands/FoxProConnection.h"
#include "db/Connection.h"
#include "db/Recordset.h"
#include "db/builtin/BuiltinProviders.h"

#include <cstdint>
#include <cstring>

namespace clitest {

namespace {

const std::string kPython = "/usr/bin/python3";

Rows readAll(db::Connection& c, const std::string& sql)
{
    db::Recordset rs;
    rs.Open(sql, c);
    Rows rows;
    for (; !rs.Eof(); rs.MoveNext()) {
        std::vector<std::string> row;
        for (int i = 0; i < rs.FieldCount(); ++i)
            row.push_back(rs.fields(i).value().isNull() ? "<null>" : rs.fields(i).value().toText());
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace

std::filesystem::path samplesFolder()
{
    return std::filesystem::path(CORVALEN_CLI).parent_path() / "Samples";
}

CliTest::CliTest()
    : m_foxFolder(m_dir.path() / "fox"), m_serverFile(m_dir.path() / "server.db"), m_config(m_dir.path() / "config")
{
    db::registerBuiltinProviders();
    std::filesystem::copy(samplesFolder(), m_foxFolder);
    m_fields.aseServer = "sqlite:" + m_serverFile.string();
    m_fields.freeTableFolder = m_foxFolder.string();
    m_fields.useDbcFile = false;
}

testsupport::ProgramRun CliTest::cli(const std::vector<std::string>& args)
{
    std::vector<std::string> command{"XDG_CONFIG_HOME=" + m_config.string(), CORVALEN_CLI};
    command.insert(command.end(), args.begin(), args.end());
    return testsupport::runProgram("/usr/bin/env", command, m_dir.path());
}

std::vector<std::string> CliTest::withSides(const std::vector<std::string>& args) const
{
    std::vector<std::string> all{"--set", "ASEServer=" + m_fields.aseServer,        "--set", "FoxproOption=2",
                                 "--set", "FreeTableFolder=" + m_foxFolder.string()};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

void CliTest::fox(const std::string& sql)
{
    db::Connection c;
    c.Open(commands::foxProConnectionString(m_fields));
    c.Execute(sql);
}

void CliTest::ase(const std::string& sql)
{
    db::Connection c;
    c.Open(commands::aseConnectionString(m_fields));
    c.Execute(sql);
}

Rows CliTest::foxRows(const std::string& table)
{
    db::Connection c;
    c.Open(commands::foxProConnectionString(m_fields));
    return readAll(c, "SELECT * FROM \"" + table + "\"");
}

Rows CliTest::sampleRows(const std::string& table)
{
    frame::ConnectionFields samples = m_fields;
    samples.freeTableFolder = samplesFolder().string();
    db::Connection c;
    c.Open(commands::foxProConnectionString(samples));
    return readAll(c, "SELECT * FROM \"" + table + "\"");
}

Rows CliTest::aseRows(const std::string& table)
{
    db::Connection c;
    c.Open(commands::aseConnectionString(m_fields));
    return readAll(c, "SELECT * FROM [" + table + "]");
}

bool CliTest::aseHas(const std::string& table)
{
    db::Connection c;
    c.Open(commands::aseConnectionString(m_fields));
    db::Recordset rs = c.OpenSchema(db::Schema::Tables);
    for (; !rs.Eof(); rs.MoveNext())
        if (rs.fields("TABLE_NAME").value().toText() == table)
            return true;
    return false;
}

void CliTest::pointMemoPastEnd(const std::string& table, int record)
{
    const auto file = m_foxFolder / (table + ".dbf");
    std::string bytes = testsupport::readFile(file);
    auto at16 = [&](size_t pos) {
        return static_cast<size_t>(static_cast<std::uint8_t>(bytes[pos]) | static_cast<std::uint8_t>(bytes[pos + 1])
                                                                               << 8);
    };
    size_t memo = 0;
    for (size_t d = 32; d + 32 <= bytes.size() && bytes[d] != '\r' && memo == 0; d += 32)
        memo = bytes[d + 11] == 'M' ? d : 0;
    ASSERT_NE(memo, 0u) << table << " has no memo column";
    std::uint32_t displacement = 0;
    std::memcpy(&displacement, bytes.data() + memo + 12, 4);
    const size_t pointer = at16(8) + static_cast<size_t>(record - 1) * at16(10) + displacement;
    const std::uint32_t farBlock = 0x00FFFFFF; // little-endian on every machine we build for
    std::memcpy(bytes.data() + pointer, &farBlock, 4);
    testsupport::writeFile(file, bytes);
}

bool dbfreadInstalled()
{
    std::string out;
    return testsupport::runShell(kPython + " -c 'import dbfread'", out) == 0;
}

std::string CliTest::dbfread(const std::filesystem::path& dbf)
{
    std::string out;
    const auto script = std::filesystem::path(CORVALEN_SOURCE_DIR) / "tests/vfp/files/dbfread_dump.py";
    EXPECT_EQ(testsupport::runShell(kPython + " '" + script.string() + "' '" + dbf.string() + "'", out), 0) << out;
    return out;
}

} // namespace clitest
