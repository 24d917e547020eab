#include "db/odbc/OdbcCursor.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

namespace db::odbc {

namespace {

constexpr size_t kFirstPiece = 512; // bytes offered for a value's first piece

} // namespace

OdbcCursor::OdbcCursor(std::shared_ptr<OdbcLink> link, const std::string& sql, long long count, bool looseTypes)
    : m_link(std::move(link)), m_stmt(m_link->dbc()), m_count(count), m_looseTypes(looseTypes), m_buffer(8192)
{
    std::string text = sql;
    m_stmt.check(SQLExecDirect(m_stmt.get(), reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS), "Opening rows");
    describe();
}

void OdbcCursor::describe()
{
    SQLSMALLINT columns = 0;
    m_stmt.check(SQLNumResultCols(m_stmt.get(), &columns), "Counting columns");
    if (columns == 0)
        throw std::runtime_error("The statement returned no rows to read.");
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(columns); ++c) {
        SQLCHAR name[512] = {};
        SQLSMALLINT nameLen = 0;
        SQLSMALLINT sqlType = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        SQLULEN size = 0;
        m_stmt.check(SQLDescribeCol(m_stmt.get(), c, name, sizeof name, &nameLen, &sqlType, &size, &digits, &nullable),
                     "Describing a column");
        SQLLEN isUnsigned = SQL_FALSE;
        SQLColAttribute(m_stmt.get(), c, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
        ColumnKind kind = classifySqlType(sqlType, isUnsigned == SQL_TRUE);
        m_fields.push_back({reinterpret_cast<const char*>(name), kind.adoType});
        m_kinds.push_back(kind.kind);
    }
}

bool OdbcCursor::next(std::vector<Value>& row)
{
    if (m_done || m_delivered >= m_count) {
        m_done = true;
        return false;
    }
    SQLRETURN rc = SQLFetch(m_stmt.get());
    if (rc == SQL_NO_DATA) {
        m_done = true; // fewer rows than counted: someone deleted rows meanwhile
        return false;
    }
    m_stmt.check(rc, "Reading a row");
    // The row is fetched, so it counts even when one of its values fails; the values are read aside and handed
    // over whole, so a failure never leaves part of this row over the previous one.
    ++m_delivered;
    m_values.resize(m_fields.size());
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_values[i] = readColumn(static_cast<SQLUSMALLINT>(i + 1), m_kinds[i]);
    row.swap(m_values);
    return true;
}

Value OdbcCursor::readColumn(SQLUSMALLINT column, ValueKind kind)
{
    if (kind == ValueKind::Text)
        return readPieces(column, false);
    if (kind == ValueKind::Binary)
        return readPieces(column, true);
    if (kind == ValueKind::Bit && m_looseTypes) { // the driver reads any text there as 0: a number is a bit
        Value text = readPieces(column, false);
        if (text.isNull())
            return text;
        const auto& t = text.get<std::string>();
        long long number = 0;
        const auto [end, error] = std::from_chars(t.data(), t.data() + t.size(), number);
        if (error == std::errc() && end == t.data() + t.size())
            return Value(number != 0);
        return text;
    }
    if (kind == ValueKind::Decimal) {
        Value text = readPieces(column, false);
        if (text.isNull())
            return text;
        auto d = parseDecimal(text.get<std::string>());
        return d ? Value(*d) : text;
    }
    try {
        Value typed = readTyped(column, kind);
        if (typed.isNull() && m_looseTypes) // a text the driver could not convert, or a Null after all
            return readPieces(column, false);
        return typed;
    } catch (const std::runtime_error&) {
        // A value the driver cannot convert (SQLite keeps any text in a DATETIME column): hand on its text
        // rather than lose the row. When even that fails, the first error stands.
        try {
            return readPieces(column, false);
        } catch (...) {
        }
        throw;
    }
}

Value OdbcCursor::readTyped(SQLUSMALLINT column, ValueKind kind)
{
    SQLLEN ind = 0;
    auto get = [&](SQLSMALLINT cType, void* target, SQLLEN size) {
        m_stmt.check(SQLGetData(m_stmt.get(), column, cType, target, size, &ind), "Reading a value");
    };
    switch (kind) {
    case ValueKind::Integer: {
        SQLBIGINT v = 0;
        get(SQL_C_SBIGINT, &v, sizeof v);
        return ind == SQL_NULL_DATA ? Value() : Value(static_cast<std::int64_t>(v));
    }
    case ValueKind::Double: {
        double v = 0;
        get(SQL_C_DOUBLE, &v, sizeof v);
        return ind == SQL_NULL_DATA ? Value() : Value(v);
    }
    case ValueKind::Bit: {
        unsigned char v = 0;
        get(SQL_C_BIT, &v, sizeof v);
        return ind == SQL_NULL_DATA ? Value() : Value(v != 0);
    }
    case ValueKind::Date: {
        SQL_DATE_STRUCT v{};
        get(SQL_C_TYPE_DATE, &v, sizeof v);
        return ind == SQL_NULL_DATA ? Value() : Value(Date{v.year, v.month, v.day});
    }
    case ValueKind::Time: {
        SQL_TIME_STRUCT v{};
        get(SQL_C_TYPE_TIME, &v, sizeof v);
        return ind == SQL_NULL_DATA ? Value() : Value(Time{v.hour, v.minute, v.second});
    }
    case ValueKind::Timestamp: {
        SQL_TIMESTAMP_STRUCT v{};
        get(SQL_C_TYPE_TIMESTAMP, &v, sizeof v);
        if (ind == SQL_NULL_DATA)
            return Value();
        return Value(
            DateTime{Date{v.year, v.month, v.day}, v.hour, v.minute, v.second, static_cast<int>(v.fraction / 1000000)});
    }
    default:
        return readPieces(column, false);
    }
}

// Texts and bytes of any length, in pieces: a driver reports the total on the first call, so the value is sized
// once and the rest read straight into it (a large memo is never held twice, and the buffer stays small).
template <class Buffer> bool OdbcCursor::readPiecesInto(SQLUSMALLINT column, bool binary, Buffer& out)
{
    const SQLSMALLINT cType = binary ? SQL_C_BINARY : SQL_C_CHAR;
    const size_t terminator = binary ? 0 : 1;
    for (bool first = true;; first = false) {
        // Drivers may fill the whole buffer they are given (the SQLite driver pads it with zeros through strncpy):
        // a value's first piece goes into a small part of it, which most values fit; what is longer and tells its
        // length is read straight into its place, the rest through the whole buffer.
        const size_t offered = first ? std::min(kFirstPiece, m_buffer.size()) : m_buffer.size();
        SQLLEN ind = 0;
        SQLRETURN rc = SQLGetData(m_stmt.get(), column, cType, m_buffer.data(), static_cast<SQLLEN>(offered), &ind);
        if (rc == SQL_NO_DATA && !first)
            return true;
        m_stmt.check(rc, "Reading a value");
        if (ind == SQL_NULL_DATA)
            return false;
        const size_t room = offered - terminator;
        const bool truncated = ind == SQL_NO_TOTAL || static_cast<size_t>(ind) > room;
        if (!truncated) {
            out.insert(out.end(), m_buffer.begin(), m_buffer.begin() + ind);
            return true;
        }
        out.insert(out.end(), m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(room));
        if (ind != SQL_NO_TOTAL) // then ask again: SQL_NO_DATA, or whatever the driver holds past what it told
            readRest(column, cType, terminator, static_cast<size_t>(ind) - room, out);
    }
}

// The rest of a value whose remaining length the driver told: read into its place at the end of `out`.
template <class Buffer>
void OdbcCursor::readRest(SQLUSMALLINT column, SQLSMALLINT cType, size_t terminator, size_t rest, Buffer& out)
{
    const size_t have = out.size();
    out.resize(have + rest + terminator);
    SQLLEN ind = 0;
    SQLRETURN rc =
        SQLGetData(m_stmt.get(), column, cType, out.data() + have, static_cast<SQLLEN>(rest + terminator), &ind);
    if (rc == SQL_NO_DATA) { // nothing after all past what was read
        out.resize(have);
        return;
    }
    m_stmt.check(rc, "Reading a value");
    // A driver that gives less than it announced ends the value there.
    const size_t got = ind == SQL_NO_TOTAL || ind < 0 ? rest : std::min(rest, static_cast<size_t>(ind));
    out.resize(have + got);
}

Value OdbcCursor::readPieces(SQLUSMALLINT column, bool binary)
{
    if (binary) {
        Bytes out;
        return readPiecesInto(column, true, out) ? Value(std::move(out)) : Value();
    }
    std::string out;
    return readPiecesInto(column, false, out) ? Value(std::move(out)) : Value();
}

} // namespace db::odbc
