#include "TransferFixture.h"

#include "commands/AseConnection.h"
#include "commands/FoxProConnection.h"
#include "db/builtin/BuiltinProviders.h"

#include <cstdint>
#include <cstring>

namespace transfertest {

namespace {

Rows readAll(db::Connection& c, const std::string& sql, std::vector<db::FieldInfo>* fields = nullptr)
{
    db::Recordset rs;
    rs.Open(sql, c);
    Rows rows;
    const int n = rs.FieldCount();
    if (fields)
        for (int i = 0; i < n; ++i)
            fields->push_back({rs.fields(i).Name(), rs.fields(i).Type()});
    while (!rs.Eof()) {
        std::vector<db::Value> row;
        for (int i = 0; i < n; ++i)
            row.push_back(rs.fields(i).value());
        rows.push_back(std::move(row));
        rs.MoveNext();
    }
    return rows;
}

bool tableListed(db::Connection& c, const std::string& table)
{
    db::Recordset rs = c.OpenSchema(db::Schema::Tables);
    for (; !rs.Eof(); rs.MoveNext())
        if (db::equalsIgnoreCase(rs.fields("TABLE_NAME").value().toText(), table))
            return true;
    return false;
}

// A .dbf as bytes, with the few header facts the damaging helpers need.
struct DbfBytes {
    explicit DbfBytes(std::filesystem::path file) : path(std::move(file)), bytes(testsupport::readFile(path)) {}
    unsigned at16(size_t pos) const
    {
        return static_cast<std::uint8_t>(bytes[pos]) | static_cast<std::uint8_t>(bytes[pos + 1]) << 8;
    }
    // The descriptor (32 bytes each, from byte 32 up to the 0x0D terminator) whose name is `name`.
    size_t descriptor(const std::string& name) const
    {
        for (size_t d = 32; d + 32 <= bytes.size() && bytes[d] != '\r'; d += 32)
            if (std::string(bytes.c_str() + d) == name)
                return d;
        throw std::runtime_error("no column " + name);
    }
    void save() const { testsupport::writeFile(path, bytes); }

    std::filesystem::path path;
    std::string bytes;
};

} // namespace

void TransferTest::pointMemoPastEnd(const std::string& table, int record)
{
    DbfBytes dbf(m_foxFolder / (table + ".dbf"));
    const unsigned headerLength = dbf.at16(8), recordLength = dbf.at16(10);
    size_t memo = 0;
    for (size_t d = 32; dbf.bytes[d] != '\r'; d += 32)
        if (dbf.bytes[d + 11] == 'M') {
            memo = d;
            break;
        }
    ASSERT_NE(memo, 0u) << table << " has no memo column";
    std::uint32_t displacement = 0;
    std::memcpy(&displacement, dbf.bytes.data() + memo + 12, 4);
    const size_t pointer = headerLength + static_cast<size_t>(record - 1) * recordLength + displacement;
    const std::uint32_t farBlock = 0x00FFFFFF; // little-endian on every machine we build for
    std::memcpy(dbf.bytes.data() + pointer, &farBlock, 4);
    dbf.save();
}

void TransferTest::renameColumnInFile(const std::string& table, const std::string& from, const std::string& to)
{
    DbfBytes dbf(m_foxFolder / (table + ".dbf"));
    const size_t d = dbf.descriptor(from);
    ASSERT_LE(to.size(), 10u);
    std::memset(dbf.bytes.data() + d, 0, 11);
    std::memcpy(dbf.bytes.data() + d, to.data(), to.size());
    dbf.save();
}

TransferTest::TransferTest()
{
    m_foxFolder = m_dir.path() / "fox";
    std::filesystem::create_directory(m_foxFolder);
    m_serverFile = m_dir.path() / "server.db";
    m_fields.aseServer = "sqlite:" + m_serverFile.string();
    m_fields.useDbcFile = false;
    m_fields.freeTableFolder = m_foxFolder.string();
    m_window.foxProList = &m_foxProList;
    m_window.aseList = &m_aseList;
    m_window.progress = &m_progress;
    m_window.setPointer = [this](frame::PointerState p) { m_pointers.push_back(static_cast<int>(p)); };
    m_window.fields = [this]() -> const frame::ConnectionFields& { return m_fields; };
    m_window.yield = [] {};
    for (QListWidget* l : {&m_list1, &m_list2}) {
        l->setSortingEnabled(true);
        l->setSelectionMode(QAbstractItemView::ExtendedSelection);
    }
}

void TransferTest::SetUp()
{
    db::registerBuiltinProviders();
}

void TransferTest::fox(const std::string& sql)
{
    db::Connection c;
    c.Open(commands::foxProConnectionString(m_fields));
    c.Execute(sql);
}

void TransferTest::ase(const std::string& sql)
{
    db::Connection c;
    c.Open(commands::aseConnectionString(m_fields));
    c.Execute(sql);
}

Rows TransferTest::foxRows(const std::string& table)
{
    db::Connection c;
    c.CursorLocation = db::CursorLocation::Client;
    c.Open(commands::foxProConnectionString(m_fields));
    return readAll(c, "SELECT * FROM \"" + table + "\"");
}

std::vector<db::FieldInfo> TransferTest::foxFields(const std::string& table)
{
    db::Connection c;
    c.Open(commands::foxProConnectionString(m_fields));
    std::vector<db::FieldInfo> fields;
    readAll(c, "SELECT * FROM \"" + table + "\"", &fields);
    return fields;
}

Rows TransferTest::aseRows(const std::string& table)
{
    db::Connection c;
    c.Open(commands::aseConnectionString(m_fields));
    return readAll(c, "SELECT * FROM [" + table + "]");
}

bool TransferTest::foxHas(const std::string& table)
{
    db::Connection c;
    c.Open(commands::foxProConnectionString(m_fields));
    return tableListed(c, table);
}

bool TransferTest::aseHas(const std::string& table)
{
    db::Connection c;
    c.Open(commands::aseConnectionString(m_fields));
    return tableListed(c, table);
}

void TransferTest::fill(QListWidget& list, const std::vector<std::string>& names,
                        const std::vector<std::string>& selected, const std::string& current)
{
    list.clear();
    for (const auto& n : names)
        list.addItem(QString::fromStdString(n));
    list.setCurrentRow(-1, QItemSelectionModel::NoUpdate);
    list.clearSelection();
    for (int i = 0; i < list.count(); ++i) {
        const std::string t = list.item(i)->text().toStdString();
        if (t == current)
            list.setCurrentRow(i, QItemSelectionModel::NoUpdate);
        for (const auto& s : selected)
            if (t == s)
                list.item(i)->setSelected(true);
    }
}

std::vector<std::string> TransferTest::entries(const QListWidget& list)
{
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i)
        out.push_back(list.item(i)->text().toStdString());
    return out;
}

std::vector<std::string> TransferTest::errorReports() const
{
    std::vector<std::string> out;
    for (const auto& s : m_dialogs.shown())
        if (s.kind == "message" && s.title == "Application Error")
            out.push_back(s.text);
    return out;
}

std::string text(const db::Value& v)
{
    return v.toText();
}

} // namespace transfertest
