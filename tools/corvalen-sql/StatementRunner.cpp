#include "tools/corvalen-sql/StatementRunner.h"

#include "db/Connection.h"
#include "db/Recordset.h"
#include "tools/corvalen-sql/JsonLines.h"

#include <exception>

namespace tools {

namespace {

std::string firstWordUpper(const std::string& s)
{
    auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    auto e = s.find_first_of(" \t\r\n;", b);
    return db::toUpperAscii(s.substr(b, e == std::string::npos ? std::string::npos : e - b));
}

void printRecordset(db::Recordset& rs, std::ostream& out)
{
    std::vector<db::FieldInfo> fields;
    for (int i = 0; i < rs.FieldCount(); ++i)
        fields.push_back(db::FieldInfo{rs.fields(i).Name(), rs.fields(i).Type()});
    out << fieldsLine(fields) << '\n';
    std::vector<db::Value> row(fields.size());
    while (!rs.Eof()) {
        for (int i = 0; i < rs.FieldCount(); ++i)
            row[static_cast<size_t>(i)] = rs.fields(i).value();
        out << rowLine(row) << '\n';
        rs.MoveNext();
    }
    rs.Close();
}

void runOne(db::Connection& connection, const std::string& statement, std::ostream& out)
{
    std::string word = firstWordUpper(statement);
    if (word == "SELECT") {
        db::Recordset rs;
        rs.Open(statement, connection);
        printRecordset(rs, out);
    } else if (word == "SCHEMA") {
        db::Recordset rs = connection.OpenSchema(db::Schema::Tables);
        printRecordset(rs, out);
    } else {
        connection.Execute(statement);
    }
}

} // namespace

int runStatements(const std::string& connectionString, const std::vector<std::string>& statements, std::ostream& out,
                  std::ostream& err)
{
    try {
        db::Connection connection;
        connection.CursorLocation = db::CursorLocation::Client;
        connection.Open(connectionString);
        for (const auto& statement : statements)
            runOne(connection, statement, out);
        connection.Close();
        out.flush();
        return 0;
    } catch (const std::exception& e) {
        out.flush();
        err << e.what() << '\n';
        return 1;
    }
}

} // namespace tools
