#include "db/odbc/PreparedInsert.h"

namespace db::odbc {

void PreparedInsert::forget()
{
    m_statement.reset();
    m_head.clear();
    m_count = 0;
}

bool PreparedInsert::prepare(Dbc dbc, const PlainInsert& insert)
{
    forget();
    auto statement = std::make_unique<Statement>(dbc);
    // The driver keeps the compiled statement from one execution to the next only for what it takes to be a
    // query (text that begins with SELECT, PRAGMA or WITH); an INSERT it compiles afresh every time. An unused
    // common table expression in front makes it keep this one; SQLite runs the INSERT the same.
    std::string text = "WITH corvalen_row AS (SELECT 1) ";
    text += insert.head;
    text += '(';
    for (std::size_t i = 0; i < insert.count; ++i)
        text += i == 0 ? "?" : ", ?";
    text += ')';
    if (!succeeded(SQLPrepare(statement->get(), reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS)))
        return false;
    m_statement = std::move(statement);
    m_head = insert.head;
    m_count = insert.count;
    m_boundAt.assign(m_count, nullptr);
    m_lengths.assign(m_count, SQL_NTS);
    return true;
}

bool PreparedInsert::run(Dbc dbc, const std::string& sql)
{
    PlainInsert insert;
    if (!readPlainInsert(sql, m_values, insert)) {
        forget();
        return false;
    }
    if ((!m_statement || insert.count != m_count || insert.head != m_head) && !prepare(dbc, insert))
        return false;
    const Statement& stmt = *m_statement;
    for (std::size_t i = 0; i < m_count; ++i) {
        const char* at = m_values[i].c_str();
        if (at == m_boundAt[i])
            continue;
        // The value's own buffer, bound again only when it moved (it grew).
        stmt.check(SQLBindParameter(stmt.get(), static_cast<SQLUSMALLINT>(i + 1), SQL_PARAM_INPUT, SQL_C_CHAR,
                                    SQL_VARCHAR, 0, 0, const_cast<char*>(at), 0, &m_lengths[i]),
                   "Binding a value");
        m_boundAt[i] = at;
    }
    const SQLRETURN rc = SQLExecute(stmt.get());
    try {
        if (rc != SQL_NO_DATA)
            stmt.check(rc, "Executing a statement"); // before any other call on the handle clears the report
    } catch (...) {
        SQLFreeStmt(stmt.get(), SQL_CLOSE);
        releaseLarge();
        throw;
    }
    SQLFreeStmt(stmt.get(), SQL_CLOSE);
    releaseLarge();
    return true;
}

void PreparedInsert::releaseLarge()
{
    // A long memo's copy is not kept for the rows after it. The next row binds the value again, as it does any
    // value whose buffer moved.
    for (auto& value : m_values)
        if (value.capacity() > kKeptValueBytes)
            std::string().swap(value);
}

} // namespace db::odbc
