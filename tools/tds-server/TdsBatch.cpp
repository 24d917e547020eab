#include "TdsBatch.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace tds {

std::string lowerAscii(std::string_view s)
{
    std::string out(s);
    for (auto& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

namespace {

bool isWordChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '@' || c == '#';
}

// The words of a statement outside literals, quoted names and comments, lower-cased.
std::vector<std::string> bareWords(std::string_view s)
{
    std::vector<std::string> words;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '\'' || c == '"' || c == '[') {
            const char close = c == '[' ? ']' : c;
            ++i;
            while (i < s.size() && !(s[i] == close && !(close != ']' && i + 1 < s.size() && s[i + 1] == close)))
                i += (close != ']' && s[i] == close) ? 2 : 1;
            ++i;
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            i = std::min(s.find('\n', i), s.size());
        } else if (isWordChar(c)) {
            const std::size_t from = i;
            while (i < s.size() && isWordChar(s[i]))
                ++i;
            words.push_back(lowerAscii(s.substr(from, i - from)));
        } else {
            ++i;
        }
    }
    return words;
}

bool startsStatement(const std::string& word)
{
    static const std::array<const char*, 17> keywords = {"insert", "update",   "delete",  "select", "create",   "drop",
                                                         "alter",  "truncate", "begin",   "commit", "rollback", "set",
                                                         "use",    "exec",     "execute", "print",  "declare"};
    return std::any_of(keywords.begin(), keywords.end(), [&](const char* k) { return word == k; });
}

// The first word at `at` (after blanks on the same line), lower-cased; empty when the line starts otherwise.
std::string firstWord(std::string_view s, std::size_t at)
{
    while (at < s.size() && (s[at] == ' ' || s[at] == '\t' || s[at] == '\r'))
        ++at;
    const std::size_t from = at;
    while (at < s.size() && isWordChar(s[at]))
        ++at;
    return lowerAscii(s.substr(from, at - from));
}

} // namespace

std::vector<BatchStatement> splitBatch(std::string_view sql)
{
    std::vector<BatchStatement> out;
    std::size_t start = 0;
    int line = 1;
    int startLine = 1;
    int depth = 0; // open parentheses of the statement so far
    const auto finish = [&](std::size_t end) {
        std::string_view piece = sql.substr(start, end - start);
        // The statement's line is that of its first non-blank character.
        std::size_t lead = 0;
        int at = startLine;
        while (lead < piece.size() && std::isspace(static_cast<unsigned char>(piece[lead]))) {
            at += piece[lead] == '\n' ? 1 : 0;
            ++lead;
        }
        piece.remove_prefix(lead);
        while (!piece.empty() && std::isspace(static_cast<unsigned char>(piece.back())))
            piece.remove_suffix(1);
        if (!piece.empty())
            out.push_back({std::string(piece), at});
    };
    for (std::size_t i = 0; i < sql.size();) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || c == '[') {
            const char close = c == '[' ? ']' : c;
            ++i;
            while (i < sql.size()) {
                if (sql[i] == '\n')
                    ++line;
                if (sql[i] == close) {
                    if (close != ']' && i + 1 < sql.size() && sql[i + 1] == close) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
        } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
            i = std::min(sql.find('\n', i), sql.size());
        } else if (c == ';') {
            finish(i);
            start = ++i;
            startLine = line;
            depth = 0;
        } else if (c == '(' || c == ')') {
            depth += c == '(' ? 1 : -1;
            ++i;
        } else if (c == '\n') {
            ++line;
            ++i;
            const std::string word = firstWord(sql, i);
            if (depth > 0 || !startsStatement(word))
                continue; // inside parentheses (a subquery), or not a statement's first word
            const std::string_view pending = sql.substr(start, i - start);
            if (pending.find_first_not_of(" \t\r\n") == std::string_view::npos)
                continue;
            if (word == "select") {
                const std::vector<std::string> before = bareWords(pending);
                if (!before.empty() && before[0] == "insert" &&
                    std::find(before.begin(), before.end(), "values") == before.end())
                    continue; // INSERT ... SELECT
            }
            finish(i);
            start = i;
            startLine = line;
            depth = 0;
        } else {
            ++i;
        }
    }
    finish(sql.size());
    return out;
}

std::optional<TransactionCommand> transactionCommand(std::string_view statement)
{
    const std::vector<std::string> words = bareWords(statement);
    if (words.empty() || words.size() > 3)
        return std::nullopt;
    const bool tranWord = words.size() >= 2 && (words[1] == "tran" || words[1] == "transaction");
    if (words[0] == "begin" && tranWord)
        return TransactionCommand::Begin;
    const bool rest = words.size() == 1 || tranWord || (words[1] == "work" && words.size() == 2) ||
                      (words.size() == 2 && words[1] != "tran" && words[1] != "transaction");
    if (words[0] == "commit" && rest)
        return TransactionCommand::Commit;
    if (words[0] == "rollback" && rest)
        return TransactionCommand::Rollback;
    return std::nullopt;
}

std::optional<ConditionalEnd> conditionalEnd(std::string_view statement)
{
    std::vector<std::string> w = bareWords(statement);
    // `>` is no word: if @@trancount 0 commit|rollback [tran|transaction|work] [begin tran|transaction]
    if (w.size() < 4 || w[0] != "if" || w[1] != "@@trancount" || w[2] != "0" ||
        statement.find('>') == std::string_view::npos || (w[3] != "commit" && w[3] != "rollback"))
        return std::nullopt;
    ConditionalEnd out{w[3] == "commit" ? TransactionCommand::Commit : TransactionCommand::Rollback, false};
    std::size_t at = 4;
    if (at < w.size() && (w[at] == "tran" || w[at] == "transaction" || w[at] == "work"))
        ++at;
    if (at + 2 == w.size() && w[at] == "begin" && (w[at + 1] == "tran" || w[at + 1] == "transaction")) {
        out.beginAfter = true;
        at += 2;
    }
    return at == w.size() ? std::optional<ConditionalEnd>(out) : std::nullopt;
}

} // namespace tds
