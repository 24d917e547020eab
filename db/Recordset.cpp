#include "db/Recordset.h"

#include "db/Connection.h"

#include <stdexcept>

namespace db {

const std::string& Field::Name() const
{
    m_rs->requireOpen();
    return m_rs->m_cursor->fields().at(static_cast<size_t>(m_index)).name;
}

int Field::Type() const
{
    m_rs->requireOpen();
    return m_rs->m_cursor->fields().at(static_cast<size_t>(m_index)).type;
}

const Value& Field::value() const
{
    m_rs->requireOpen();
    if (m_rs->m_eof || m_rs->m_unread)
        throw std::runtime_error("Either BOF or EOF is True, or the current record has been deleted. Requested "
                                 "operation requires a current record.");
    return m_rs->m_row.at(static_cast<size_t>(m_index));
}

void Recordset::Open(const std::string& source, Connection& connection, CursorType /*cursorType*/,
                     LockType /*lockType*/)
{
    if (m_cursor)
        throw std::runtime_error("Operation is not allowed when the object is open.");
    attach(connection.provider().query(source));
}

// All or nothing: the recordset is open only once its first row is read, so one whose first row fails stays
// closed and can be opened again (the next table of a send opens normally).
void Recordset::attach(std::unique_ptr<Cursor> cursor)
{
    const long long count = cursor->recordCount();
    std::vector<Value> row;
    const bool more = cursor->next(row);
    m_cursor = std::move(cursor);
    m_count = count;
    m_row = std::move(row);
    m_eof = !more;
    m_unread = false;
}

void Recordset::requireOpen() const
{
    if (!m_cursor)
        throw std::runtime_error("Operation is not allowed when the object is closed.");
}

bool Recordset::Eof() const
{
    requireOpen();
    return m_eof;
}

void Recordset::MoveNext()
{
    requireOpen();
    if (m_eof)
        throw std::runtime_error("Either BOF or EOF is True, or the current record has been deleted. Requested "
                                 "operation requires a current record.");
    // A row that fails to read leaves no current row until the next MoveNext, which reads on after it: its first
    // values and the previous row's rest never pass for a row.
    m_unread = true;
    m_eof = !m_cursor->next(m_row);
    m_unread = false;
}

long long Recordset::RecordCount() const
{
    requireOpen();
    return m_count;
}

int Recordset::FieldCount() const
{
    requireOpen();
    return static_cast<int>(m_cursor->fields().size());
}

Field Recordset::fields(int index) const
{
    requireOpen();
    if (index < 0 || index >= FieldCount())
        throw std::runtime_error("Item cannot be found in the collection corresponding to the requested name or "
                                 "ordinal.");
    return Field(*this, index);
}

Field Recordset::fields(const std::string& name) const
{
    requireOpen();
    const auto& f = m_cursor->fields();
    for (size_t i = 0; i < f.size(); ++i)
        if (equalsIgnoreCase(f[i].name, name))
            return Field(*this, static_cast<int>(i));
    throw std::runtime_error("Item cannot be found in the collection corresponding to the requested name or ordinal.");
}

void Recordset::Close()
{
    requireOpen();
    m_cursor.reset();
    m_row.clear();
    m_eof = true;
    m_unread = false;
    m_count = 0;
}

} // namespace db
