#pragma once

#include "db/Provider.h"

#include <memory>
#include <string>
#include <vector>

namespace db {

class Connection;
class Recordset;

// One column of the current row.
class Field {
public:
    Field(const Recordset& rs, int index) : m_rs(&rs), m_index(index) {}
    const std::string& Name() const;
    int Type() const;
    const Value& value() const; // the current row's value; fails past the end and after a row that failed to read

private:
    const Recordset* m_rs;
    int m_index;
};

// The ADO recordset the commands use. Rows stream from the provider; RecordCount is exact before the first row.
// A closed recordset may be opened again.
class Recordset {
public:
    Recordset() = default;
    explicit Recordset(std::unique_ptr<Cursor> cursor) { attach(std::move(cursor)); }

    // cursorType and lockType are accepted for fidelity; every cursor here is forward-reading with an exact count.
    void Open(const std::string& source, Connection& connection, CursorType cursorType = CursorType::Unspecified,
              LockType lockType = LockType::Unspecified);
    bool Eof() const; // ADO's EOF (the name is a C macro)
    void MoveNext();  // when the next row cannot be read: throws, and there is no current row until the next call
    long long RecordCount() const;
    int FieldCount() const;
    Field fields(int index) const;
    Field fields(const std::string& name) const;
    void Close();
    bool isOpen() const { return m_cursor != nullptr; }

private:
    friend class Field;
    void attach(std::unique_ptr<Cursor> cursor);
    void requireOpen() const;

    std::unique_ptr<Cursor> m_cursor;
    std::vector<Value> m_row;
    bool m_eof = true;
    bool m_unread = false; // the last MoveNext failed: no current row
    long long m_count = 0;
};

} // namespace db
