#include "TransferFixture.h"

#include "commands/AseConnection.h"
#include "commands/FoxProConnection.h"
#include "db/builtin/BuiltinProviders.h"

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

} // namespace

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
