#include "db/odbc/PlainInsert.h"

#include <cstring>

namespace db::odbc {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isWordStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isWordChar(char c)
{
    return isWordStart(c) || (c >= '0' && c <= '9') || c == '$';
}

// Reads the statement left to right; every read returns false when the text does not match.
class Reader {
public:
    explicit Reader(std::string_view sql) : m_sql(sql) {}

    std::size_t at() const { return m_at; }
    bool atEnd() const { return m_at == m_sql.size(); }

    // Skips whitespace; true when there was some.
    bool spaces()
    {
        const std::size_t start = m_at;
        while (m_at < m_sql.size() && isSpace(m_sql[m_at]))
            ++m_at;
        return m_at > start;
    }

    bool keyword(std::string_view word)
    {
        if (m_sql.size() - m_at < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            char c = m_sql[m_at + i];
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            if (c != word[i])
                return false;
        }
        if (m_sql.size() - m_at > word.size() && isWordChar(m_sql[m_at + word.size()]))
            return false;
        m_at += word.size();
        return true;
    }

    bool character(char c)
    {
        if (m_at == m_sql.size() || m_sql[m_at] != c)
            return false;
        ++m_at;
        return true;
    }

    // [name] without ']' or '?' inside (the driver counts a '?' anywhere as a parameter), or a bare identifier.
    bool tableName()
    {
        if (character('[')) {
            const std::size_t close = m_sql.find(']', m_at);
            if (close == std::string_view::npos || close == m_at ||
                m_sql.substr(m_at, close - m_at).find('?') != std::string_view::npos)
                return false;
            m_at = close + 1;
            return true;
        }
        if (m_at == m_sql.size() || !isWordStart(m_sql[m_at]))
            return false;
        while (m_at < m_sql.size() && isWordChar(m_sql[m_at]))
            ++m_at;
        return true;
    }

    // One or more quoted texts joined by +, as one text with their doubled quotes made single, into `value`.
    bool joinedTexts(std::string& value)
    {
        value.clear();
        if (!quoted(value))
            return false;
        for (;;) {
            const std::size_t before = m_at;
            spaces();
            if (!character('+')) {
                m_at = before;
                return true;
            }
            spaces();
            if (!quoted(value))
                return false;
        }
    }

private:
    // A quoted text, its doubled quotes made single, appended to `value`.
    bool quoted(std::string& value)
    {
        if (!character('\''))
            return false;
        for (;;) {
            const std::size_t quote = m_sql.find('\'', m_at);
            if (quote == std::string_view::npos)
                return false;
            value.append(m_sql.data() + m_at, quote - m_at);
            m_at = quote + 1;
            if (!character('\''))
                return true;
            value += '\'';
        }
    }

    std::string_view m_sql;
    std::size_t m_at = 0;
};

} // namespace

bool readPlainInsert(std::string_view sql, std::vector<std::string>& values, PlainInsert& out)
{
    if (std::memchr(sql.data(), '\0', sql.size()) != nullptr)
        return false;
    Reader r(sql);
    r.spaces();
    const std::size_t start = r.at();
    if (!r.keyword("INSERT") || !r.spaces() || !r.keyword("INTO") || !r.spaces() || !r.tableName())
        return false;
    r.spaces();
    if (!r.keyword("VALUES"))
        return false;
    const std::size_t headEnd = r.at();
    r.spaces();
    if (!r.character('('))
        return false;
    std::size_t count = 0;
    for (;;) {
        r.spaces();
        if (count == values.size())
            values.emplace_back();
        if (!r.joinedTexts(values[count]))
            return false;
        ++count;
        r.spaces();
        if (r.character(')'))
            break;
        if (!r.character(','))
            return false;
    }
    r.spaces();
    if (!r.atEnd())
        return false;
    out.head = sql.substr(start, headEnd - start);
    out.count = count;
    return true;
}

} // namespace db::odbc
