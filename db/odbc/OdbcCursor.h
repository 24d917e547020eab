#pragma once

#include "db/Provider.h"
#include "db/odbc/OdbcConnect.h"
#include "db/odbc/OdbcError.h"
#include "db/odbc/OdbcTypes.h"

#include <memory>
#include <string>
#include <vector>

namespace db::odbc {

// Rows of one SELECT, streamed from the driver a row at a time. The count is taken by the caller before the
// rows are opened; the cursor never delivers more rows than that, and ends cleanly when fewer arrive.
// `looseTypes`: the database (SQLite) may hold any text in a typed column, and its driver gives Null for a text it
// cannot convert; such a Null is read again as text, so the value is handed on rather than lost.
class OdbcCursor : public Cursor {
public:
    OdbcCursor(std::shared_ptr<OdbcLink> link, const std::string& sql, long long count, bool looseTypes = false);

    const std::vector<FieldInfo>& fields() const override { return m_fields; }
    long long recordCount() override { return m_count; }
    bool next(std::vector<Value>& row) override;

private:
    void describe();
    Value readColumn(SQLUSMALLINT column, ValueKind kind);
    Value readTyped(SQLUSMALLINT column, ValueKind kind);
    Value readPieces(SQLUSMALLINT column, bool binary);
    // Appends the value to `out`; false when it is null.
    template <class Buffer> bool readPiecesInto(SQLUSMALLINT column, bool binary, Buffer& out);
    template <class Buffer>
    void readRest(SQLUSMALLINT column, SQLSMALLINT cType, size_t terminator, size_t rest, Buffer& out);

    std::shared_ptr<OdbcLink> m_link; // keeps the connection alive while the statement lives
    Statement m_stmt;
    std::vector<FieldInfo> m_fields;
    std::vector<ValueKind> m_kinds;
    long long m_count;
    bool m_looseTypes;
    long long m_delivered = 0;
    bool m_done = false;
    std::vector<char> m_buffer;
    std::vector<Value> m_values; // the row being read
};

} // namespace db::odbc
