#include "db/vfp/sql/SqlLexer.h"

#include <stdexcept>

namespace db::vfp {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isWordStart(char c)
{
    auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || u == '_' || u >= 0x80;
}

bool isWordChar(char c)
{
    return isWordStart(c) || isDigit(c) || c == '$';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

class Lexer {
public:
    explicit Lexer(const std::string& sql) : m_sql(sql) {}

    std::vector<SqlToken> run()
    {
        std::vector<SqlToken> tokens;
        tokens.reserve(32); // an INSERT of a dozen values, without growing and moving the tokens on the way
        for (;;) {
            while (m_pos < m_sql.size() && isBlank(m_sql[m_pos]))
                ++m_pos;
            if (m_pos >= m_sql.size())
                break;
            tokens.push_back(nextToken());
        }
        tokens.push_back(SqlToken{SqlToken::Kind::End, "", "", m_sql.size() + 1});
        return tokens;
    }

private:
    SqlToken nextToken()
    {
        size_t start = m_pos;
        char c = m_sql[m_pos];
        SqlToken t;
        if (c == '"' || c == '\'') {
            t.kind = c == '"' ? SqlToken::Kind::QuotedName : SqlToken::Kind::Text;
            t.text = quoted(c);
        } else if (isDigit(c) || (c == '.' && m_pos + 1 < m_sql.size() && isDigit(m_sql[m_pos + 1]))) {
            t.kind = SqlToken::Kind::Number;
            number();
            t.text = m_sql.substr(start, m_pos - start);
        } else if (isWordStart(c)) {
            t.kind = SqlToken::Kind::Word;
            while (m_pos < m_sql.size() && isWordChar(m_sql[m_pos]))
                ++m_pos;
            t.text = m_sql.substr(start, m_pos - start);
        } else {
            t.kind = SqlToken::Kind::Symbol;
            t.text = std::string(1, c);
            ++m_pos;
        }
        t.source = std::string_view(m_sql).substr(start, m_pos - start);
        t.position = start + 1;
        return t;
    }

    // Reads a quoted token; a doubled quote stands for one. The end is found first, so that a long text (a memo
    // in an INSERT) is copied once into a string of its exact size.
    std::string quoted(char quote)
    {
        size_t start = m_pos++;
        size_t length = 0;
        size_t end = m_pos;
        for (;;) {
            size_t q = m_sql.find(quote, end);
            if (q == std::string::npos)
                throw std::runtime_error("Syntax error at position " + std::to_string(start + 1) +
                                         ": the quote opened there is never closed.");
            length += q - end;
            if (q + 1 < m_sql.size() && m_sql[q + 1] == quote) {
                length += 1;
                end = q + 2;
                continue;
            }
            end = q;
            break;
        }
        std::string out;
        out.reserve(length);
        for (size_t p = m_pos; p < end;) {
            size_t q = m_sql.find(quote, p);
            if (q >= end) {
                out.append(m_sql, p, end - p);
                break;
            }
            out.append(m_sql, p, q + 1 - p); // the text up to and with one of the doubled quotes
            p = q + 2;
        }
        m_pos = end + 1;
        return out;
    }

    void digits()
    {
        while (m_pos < m_sql.size() && isDigit(m_sql[m_pos]))
            ++m_pos;
    }

    void number()
    {
        digits();
        if (m_pos < m_sql.size() && m_sql[m_pos] == '.') {
            ++m_pos;
            digits();
        }
        if (m_pos < m_sql.size() && (m_sql[m_pos] == 'e' || m_sql[m_pos] == 'E')) {
            size_t p = m_pos + 1;
            if (p < m_sql.size() && (m_sql[p] == '+' || m_sql[p] == '-'))
                ++p;
            if (p < m_sql.size() && isDigit(m_sql[p])) {
                m_pos = p;
                digits();
            }
        }
    }

    const std::string& m_sql;
    size_t m_pos = 0;
};

} // namespace

std::vector<SqlToken> tokenizeSql(const std::string& sql)
{
    return Lexer(sql).run();
}

} // namespace db::vfp
