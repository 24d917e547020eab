#include "db/vfp/sql/SqlParser.h"

#include "db/ConnectionString.h"
#include "db/vfp/sql/SqlLexer.h"

#include <algorithm>
#include <stdexcept>

namespace db::vfp {

namespace {

using Kind = SqlToken::Kind;

class Parser {
public:
    explicit Parser(const std::string& sql) : m_tokens(tokenizeSql(sql)) {}

    SqlStatement statement()
    {
        SqlStatement result;
        if (acceptWord("SELECT"))
            result = select();
        else if (acceptWord("CREATE"))
            result = create();
        else if (acceptWord("INSERT"))
            result = insert();
        else if (acceptWord("DROP"))
            result = drop();
        else
            fail();
        acceptSymbol(';');
        if (peek().kind != Kind::End)
            fail();
        return result;
    }

private:
    SelectStatement select()
    {
        expectSymbol('*');
        expectWord("FROM");
        return SelectStatement{name()};
    }

    CreateTableStatement create()
    {
        expectWord("TABLE");
        CreateTableStatement s{name(), {}};
        acceptWord("FREE");
        expectSymbol('(');
        do {
            s.columns.push_back(column());
        } while (acceptSymbol(','));
        expectSymbol(')');
        return s;
    }

    InsertStatement insert()
    {
        expectWord("INTO");
        InsertStatement s{name(), {}};
        expectWord("VALUES");
        expectSymbol('(');
        do {
            s.values.push_back(literal());
        } while (acceptSymbol(','));
        expectSymbol(')');
        return s;
    }

    DropTableStatement drop()
    {
        expectWord("TABLE");
        return DropTableStatement{name()};
    }

    SqlLiteral literal()
    {
        if (peek().kind == Kind::Text) // moved out: a memo's text is not held twice
            return {SqlLiteral::Kind::Text, std::move(m_tokens[m_at++].text)};
        if (acceptWord("NULL"))
            return {SqlLiteral::Kind::Null, ""};
        std::string sign;
        if (acceptSymbol('-'))
            sign = "-";
        else
            acceptSymbol('+');
        if (peek().kind != Kind::Number)
            fail();
        return {SqlLiteral::Kind::Number, sign + m_tokens[m_at++].text};
    }

    FieldDef column()
    {
        FieldDef f;
        f.name = name();
        columnType(f);
        f.nullable = true;
        for (;;) {
            if (acceptWord("NOCPTRANS") && (f.type == 'C' || f.type == 'V' || f.type == 'M'))
                f.binary = true;
            else if (acceptWord("NULL"))
                f.nullable = true;
            else if (acceptWord("NOT")) {
                expectWord("NULL");
                f.nullable = false;
            } else
                break;
        }
        return f;
    }

    void columnType(FieldDef& f);

    std::string name()
    {
        const SqlToken& t = peek();
        if (t.kind != Kind::QuotedName && t.kind != Kind::Word)
            fail();
        ++m_at;
        return t.text;
    }

    // "(n)" with n in [lo, hi].
    int size(int lo, int hi)
    {
        const SqlToken& t = peek();
        if (t.kind != Kind::Number || t.text.find_first_not_of("0123456789") != std::string::npos || t.text.size() > 3)
            fail();
        int n = std::stoi(t.text);
        if (n < lo || n > hi)
            throw std::runtime_error("Syntax error at position " + std::to_string(t.position) + ": size " + t.text +
                                     " is outside " + std::to_string(lo) + " to " + std::to_string(hi) + ".");
        ++m_at;
        return n;
    }

    const SqlToken& peek() const { return m_tokens[m_at]; }

    bool acceptWord(const char* word)
    {
        if (peek().kind == Kind::Word && equalsIgnoreCase(peek().text, word)) {
            ++m_at;
            return true;
        }
        return false;
    }

    bool acceptSymbol(char c)
    {
        if (peek().kind == Kind::Symbol && peek().text[0] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    void expectWord(const char* word)
    {
        if (!acceptWord(word))
            fail();
    }

    void expectSymbol(char c)
    {
        if (!acceptSymbol(c))
            fail();
    }

    [[noreturn]] void fail() const
    {
        const SqlToken& t = peek();
        if (t.kind == Kind::End)
            throw std::runtime_error("Syntax error at position " + std::to_string(t.position) +
                                     ": the statement ends too early.");
        throw std::runtime_error("Syntax error at position " + std::to_string(t.position) + " near '" +
                                 std::string(t.source) + "'");
    }

    std::vector<SqlToken> m_tokens;
    size_t m_at = 0;
};

void Parser::columnType(FieldDef& f)
{
    const SqlToken& t = peek();
    if (t.kind != Kind::Word)
        fail();
    std::string w = toUpperAscii(t.text);
    ++m_at;
    auto is = [&](std::initializer_list<const char*> names) {
        return std::ranges::any_of(names, [&w](const char* n) { return w == n; });
    };
    auto fixed = [&](char type, int length) {
        f.type = type;
        f.length = length;
    };
    if (is({"C", "CHAR", "CHARACTER", "V", "VARCHAR", "Q", "VARBINARY"})) {
        f.type = w[0] == 'C' ? 'C' : (w[0] == 'V' && w != "VARBINARY" ? 'V' : 'Q');
        expectSymbol('(');
        f.length = size(1, 254);
        expectSymbol(')');
    } else if (is({"N", "NUMERIC", "DECIMAL", "F"}) ||
               (w == "FLOAT" && peek().kind == Kind::Symbol && peek().text == "(")) {
        f.type = (w == "F" || w == "FLOAT") ? 'F' : 'N';
        expectSymbol('(');
        f.length = size(1, 20);
        if (acceptSymbol(','))
            f.decimals = size(0, 18);
        expectSymbol(')');
        if (f.decimals > 0 && f.decimals > f.length - 2)
            throw std::runtime_error("Syntax error at position " + std::to_string(t.position) + ": " +
                                     std::to_string(f.decimals) + " decimals do not fit a width of " +
                                     std::to_string(f.length) + ".");
    } else if (is({"B", "DOUBLE", "FLOAT"})) {
        fixed('B', 8);
        if (w != "FLOAT" && acceptSymbol('(')) {
            f.decimals = size(0, 18);
            expectSymbol(')');
        }
    } else if (is({"I", "INT", "INTEGER"})) {
        fixed('I', 4);
    } else if (is({"Y", "CURRENCY", "MONEY"})) {
        fixed('Y', 8);
        f.decimals = 4;
    } else if (is({"D", "DATE"})) {
        fixed('D', 8);
    } else if (is({"T", "DATETIME"})) {
        fixed('T', 8);
    } else if (is({"L", "LOGICAL", "BOOLEAN"})) {
        fixed('L', 1);
    } else if (is({"M", "MEMO"})) {
        fixed('M', 4);
    } else if (is({"G", "GENERAL"})) {
        fixed('G', 4);
    } else if (is({"W", "BLOB"})) {
        fixed('W', 4);
    } else {
        --m_at;
        fail();
    }
}

} // namespace

SqlStatement parseSql(const std::string& sql)
{
    return Parser(sql).statement();
}

} // namespace db::vfp
