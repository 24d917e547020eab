#include "TdsSql.h"

#include "TdsBatch.h"

#include <cctype>
#include <regex>
#include <sqlite3.h>

namespace tds {
namespace {

bool startsWithWord(std::string_view s, std::string_view word)
{
    std::size_t at = 0;
    while (at < s.size() && std::isspace(static_cast<unsigned char>(s[at])))
        ++at;
    if (s.size() - at < word.size() || lowerAscii(s.substr(at, word.size())) != word)
        return false;
    return at + word.size() == s.size() || !std::isalnum(static_cast<unsigned char>(s[at + word.size()]));
}

// Length of the quoted part starting at `at` (a '…', "…" or […] with its closing mark), doubled marks included.
std::size_t quotedLength(std::string_view s, std::size_t at)
{
    const char close = s[at] == '[' ? ']' : s[at];
    std::size_t i = at + 1;
    while (i < s.size()) {
        if (s[i] == close) {
            if (close != ']' && i + 1 < s.size() && s[i + 1] == close) {
                i += 2;
                continue;
            }
            return i + 1 - at;
        }
        ++i;
    }
    return s.size() - at;
}

} // namespace

std::string rewriteEmptyLiterals(std::string_view sql)
{
    if (sql.find("''") == std::string_view::npos || !startsWithWord(sql, "insert"))
        return std::string(sql);
    std::string out;
    out.reserve(sql.size() + 8);
    for (std::size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || c == '[') {
            const std::size_t n = quotedLength(sql, i);
            out += (c == '\'' && n == 2) ? std::string_view("' '") : sql.substr(i, n);
            i += n;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const std::size_t end = std::min(sql.find('\n', i), sql.size());
            out += sql.substr(i, end - i);
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string applyStringRules(std::string_view sql)
{
    if (sql.find('+') == std::string_view::npos && sql.find('\\') == std::string_view::npos)
        return std::string(sql); // nothing to join and no line continuation
    std::string out;
    out.reserve(sql.size());
    const auto skipBlanks = [&](std::size_t at, int step) {
        while (at < sql.size() && std::isspace(static_cast<unsigned char>(sql[at])))
            at = step > 0 ? at + 1 : (at == 0 ? sql.size() : at - 1);
        return at;
    };
    for (std::size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (c == '\'') {
            const std::size_t n = quotedLength(sql, i);
            const std::string_view literal = sql.substr(i, n);
            for (std::size_t k = 0; k < literal.size(); ++k) {
                if (literal[k] == '\\' && k + 1 < literal.size() && literal[k + 1] == '\n') {
                    ++k;
                } else if (literal[k] == '\\' && k + 2 < literal.size() && literal[k + 1] == '\r' &&
                           literal[k + 2] == '\n') {
                    k += 2;
                } else {
                    out += literal[k];
                }
            }
            i += n;
        } else if (c == '"' || c == '[') {
            const std::size_t n = quotedLength(sql, i);
            out += sql.substr(i, n);
            i += n;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            const std::size_t end = std::min(sql.find('\n', i), sql.size());
            out += sql.substr(i, end - i);
            i = end;
        } else if (c == '+' && i > 0) {
            const std::size_t before = skipBlanks(i - 1, -1);
            const std::size_t after = skipBlanks(i + 1, 1);
            const bool joinsStrings =
                before < sql.size() && sql[before] == '\'' && after < sql.size() && sql[after] == '\'';
            out += joinsStrings ? "||" : "+";
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

namespace {
AseError withState(AseError e, const char* sqlState)
{
    e.sqlState = sqlState;
    return e;
}
std::string bare(std::string name)
{
    if (name.size() >= 2 && (name.front() == '[' || name.front() == '"'))
        name = name.substr(1, name.size() - 2);
    return name;
}
} // namespace

AseError aseErrorFromSqlite(int sqliteCode, const std::string& message)
{
    std::smatch m;
    if (sqliteCode == SQLITE_CONSTRAINT_UNIQUE || sqliteCode == SQLITE_CONSTRAINT_PRIMARYKEY) {
        std::regex_search(message, m, std::regex(R"(failed: ([^.]*)\.?(.*))"));
        const std::string table = m.empty() ? std::string("?") : m[1].str();
        const std::string column = m.size() > 2 ? m[2].str() : std::string();
        return withState(AseError(2601, 14,
                                  "Attempt to insert duplicate key row in object '" + table + "' with unique index '" +
                                      table + "_" + column + "'",
                                  6),
                         "23000");
    }
    if (sqliteCode == SQLITE_CONSTRAINT_NOTNULL) {
        std::regex_search(message, m, std::regex(R"(failed: ([^.]*)\.(.*))"));
        const std::string table = m.empty() ? std::string("?") : m[1].str();
        const std::string column = m.empty() ? std::string("?") : m[2].str();
        return withState(
            AseError(233, 16, "The column " + column + " in table " + table + " does not allow null values.", 1),
            "23000");
    }
    if (sqliteCode == SQLITE_CONSTRAINT_DATATYPE || message.find("datatype mismatch") != std::string::npos)
        return withState(AseError(257, 16,
                                  "Implicit conversion from datatype 'VARCHAR' to 'INT' is not allowed.  Use the "
                                  "CONVERT function to run this query.",
                                  1),
                         "42000");
    if (std::regex_search(message, m, std::regex(R"(near \"(.*)\": syntax error)")))
        return withState(AseError(102, 15, "Incorrect syntax near '" + m[1].str() + "'.", 181), "42000");
    if (message.find("incomplete input") != std::string::npos)
        return withState(AseError(102, 15, "Incorrect syntax near the end of the statement.", 181), "42000");
    if (std::regex_search(message, m, std::regex(R"(no such (?:table|view): (?:main\.)?(.*))")))
        return withState(AseError(208, 16,
                                  bare(m[1].str()) + " not found. Specify owner.objectname or use sp_help to check "
                                                     "whether the object exists (sp_help may produce lots of output)."),
                         "42S02");
    if (std::regex_search(message, m, std::regex(R"((?:table|view|index) (.*) already exists)")))
        return withState(
            AseError(2714, 16, "There is already an object named '" + bare(m[1].str()) + "' in the database."),
            "42S01");
    if (std::regex_search(message, m, std::regex(R"(no such column: (.*))")))
        return withState(AseError(207, 16, "Invalid column name '" + bare(m[1].str()) + "'."), "42S22");
    if (message.find("values were supplied") != std::string::npos || message.find("values for") != std::string::npos)
        return withState(AseError(213, 16,
                                  "Insert error: column name or number of supplied values does not match "
                                  "table definition."),
                         "21S01");
    return AseError(30000 + (sqliteCode & 0xFF), 16, message);
}

AseError aseErrorForStatement(std::string_view statement, int sqliteCode, const std::string& message)
{
    std::smatch m;
    static const std::regex dropTable(R"(^\s*drop\s+table\s)", std::regex::icase);
    const std::string text(statement);
    if (std::regex_search(text, dropTable) &&
        std::regex_search(message, m, std::regex(R"(no such table: (?:main\.)?(.*))")))
        return withState(AseError(3701, 11,
                                  "Cannot drop the table '" + bare(m[1].str()) +
                                      "', because it doesn't exist in the system catalogs.",
                                  1),
                         "42S02");
    return aseErrorFromSqlite(sqliteCode, message);
}

bool isParseError(const std::string& message)
{
    return message.find("syntax error") != std::string::npos || message.find("incomplete input") != std::string::npos ||
           message.find("unrecognized token") != std::string::npos;
}

bool followedByCommandAborted(int number)
{
    return number == 2601 || number == 233;
}

AseError commandAborted()
{
    return AseError(3621, 10, "Command has been aborted.", 0);
}

bool isDefinition(std::string_view statement)
{
    return startsWithWord(statement, "create") || startsWithWord(statement, "drop") ||
           startsWithWord(statement, "alter");
}

AseError definitionInTransaction(std::string_view statement, const std::string& database)
{
    std::string command;
    std::size_t at = 0;
    for (int word = 0; word < 2; ++word) {
        while (at < statement.size() && std::isspace(static_cast<unsigned char>(statement[at])))
            ++at;
        const std::size_t from = at;
        while (at < statement.size() && std::isalpha(static_cast<unsigned char>(statement[at])))
            ++at;
        command += (word ? " " : "") + std::string(statement.substr(from, at - from));
    }
    for (auto& c : command)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return withState(AseError(2762, 16,
                              "The '" + command +
                                  "' command is not allowed within a multi-statement transaction in "
                                  "the '" +
                                  database + "' database.",
                              3),
                     "ZZZZZ");
}

bool changesRows(std::string_view statement)
{
    return startsWithWord(statement, "insert") || startsWithWord(statement, "update") ||
           startsWithWord(statement, "delete");
}

bool startsTransactionWhenChained(std::string_view statement)
{
    return startsWithWord(statement, "select") || changesRows(statement);
}

std::optional<ProcCall> parseExec(std::string_view sql)
{
    std::size_t at = 0;
    const auto skipSpace = [&] {
        while (at < sql.size() && std::isspace(static_cast<unsigned char>(sql[at])))
            ++at;
    };
    const auto word = [&] {
        skipSpace();
        const std::size_t from = at;
        while (at < sql.size() && (std::isalnum(static_cast<unsigned char>(sql[at])) || sql[at] == '_' ||
                                   sql[at] == '@' || sql[at] == '.' || sql[at] == '#'))
            ++at;
        return std::string(sql.substr(from, at - from));
    };
    std::string first = word();
    // ASE also runs a procedure named first in the batch without `exec`; the test server knows only sp_ ones.
    const bool implicitExec = lowerAscii(first).rfind("sp_", 0) == 0;
    if (!implicitExec && lowerAscii(first) != "exec" && lowerAscii(first) != "execute")
        return std::nullopt;
    ProcCall call{implicitExec ? first : word(), {}};
    if (call.procedure.empty())
        return std::nullopt;
    for (int guard = 0; guard < 256; ++guard) {
        skipSpace();
        if (at >= sql.size())
            return call;
        ProcArgument arg;
        if (sql[at] == '@') {
            arg.name = word();
            skipSpace();
            if (at >= sql.size() || sql[at] != '=')
                return std::nullopt;
            ++at;
            skipSpace();
        }
        if (at < sql.size() && (sql[at] == '\'' || sql[at] == '"')) { // "..." is a string too, as in ASE by default
            const std::string doubled(2, sql[at]);
            const std::size_t n = quotedLength(sql, at);
            std::string v(sql.substr(at + 1, n >= 2 ? n - 2 : 0));
            for (std::size_t q = v.find(doubled); q != std::string::npos; q = v.find(doubled, q + 1))
                v.erase(q, 1);
            arg.value = v;
            at += n;
        } else {
            const std::string bare = word();
            if (bare.empty())
                return std::nullopt;
            if (lowerAscii(bare) != "null")
                arg.value = bare;
        }
        call.arguments.push_back(std::move(arg));
        skipSpace();
        if (at < sql.size() && sql[at] == ',')
            ++at;
    }
    return std::nullopt;
}

std::string likeToGlob(std::string_view pattern)
{
    std::string glob;
    for (const char c : pattern) {
        switch (c) {
        case '%':
            glob += '*';
            break;
        case '_':
            glob += '?';
            break;
        case '*':
            glob += "[*]";
            break;
        case '?':
            glob += "[?]";
            break;
        case '[':
            glob += "[[]";
            break;
        default:
            glob += c;
        }
    }
    return glob;
}

std::vector<std::vector<std::string>> sessionCommands(std::string_view sql)
{
    std::vector<std::string> words;
    for (std::size_t at = 0; at < sql.size();) {
        if (std::isspace(static_cast<unsigned char>(sql[at])) || sql[at] == ';') {
            ++at;
            continue;
        }
        std::size_t end = at;
        if (sql[at] == '[' || sql[at] == '"' || sql[at] == '\'')
            end += quotedLength(sql, at);
        else
            while (end < sql.size() && !std::isspace(static_cast<unsigned char>(sql[end])) && sql[end] != ';')
                ++end;
        words.emplace_back(sql.substr(at, end - at));
        at = end;
    }
    std::vector<std::vector<std::string>> commands;
    for (const auto& w : words) {
        const std::string key = lowerAscii(w);
        const bool starts = key == "set" || key == "use" || key == "select";
        if (starts)
            commands.push_back({key});
        else if (commands.empty())
            return {};
        else
            commands.back().push_back(w);
    }
    for (const auto& c : commands) {
        const bool ok = (c[0] == "set" && c.size() >= 3) || (c[0] == "use" && c.size() == 2) ||
                        (c[0] == "select" && c.size() == 2 &&
                         (lowerAscii(c[1]) == "@@spid" || lowerAscii(c[1]) == "@@client_csname"));
        if (!ok)
            return {};
    }
    return commands;
}

} // namespace tds
