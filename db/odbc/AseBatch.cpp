#include "db/odbc/AseBatch.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace db::odbc {

namespace {

// The line of the request a server message names, as FreeTDS hands it over (the number SQL Server's drivers use).
constexpr SQLSMALLINT kDiagLine = -1154;

struct Result {
    std::exception_ptr error; // null: the statement succeeded
    int line = 0;             // the line its error names; 0 when none
};

int errorLine(SQLHSTMT stmt)
{
    for (SQLSMALLINT record = 1; record <= 8; ++record) {
        SQLUSMALLINT line = 0;
        const SQLRETURN rc = SQLGetDiagField(SQL_HANDLE_STMT, stmt, record, kDiagLine, &line, 0, nullptr);
        if (rc == SQL_NO_DATA)
            break;
        if (succeeded(rc) && line > 0)
            return line;
    }
    return 0;
}

// Whether a result that succeeded "with information" carries an error all the same: a record whose SQLSTATE is
// not a warning or success (class 01 or 00). The ODBC rules have a statement that failed inside a batch that went on
// reported so; FreeTDS reports it as SQL_ERROR.
bool carriesError(SQLHSTMT stmt)
{
    for (SQLSMALLINT record = 1;; ++record) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLCHAR text[8];
        SQLSMALLINT length = 0;
        if (!succeeded(SQLGetDiagRec(SQL_HANDLE_STMT, stmt, record, state, &native, text, sizeof text, &length)))
            return false;
        if (state[0] != '0' || (state[1] != '0' && state[1] != '1'))
            return true;
    }
}

// The failure of the current result as an execute() of the statement alone would throw it.
Result failure(const Statement& stmt, SQLRETURN rc)
{
    Result result;
    result.line = errorLine(stmt.get());
    try {
        stmt.check(rc, "Executing a statement");
        throw std::runtime_error("Executing a statement failed.");
    } catch (...) {
        result.error = std::current_exception();
    }
    return result;
}

std::vector<Result> readResults(const Statement& stmt, const Dbc& dbc, std::string& request, std::size_t statements)
{
    std::vector<Result> results;
    SQLRETURN rc = SQLExecDirect(stmt.get(), reinterpret_cast<SQLCHAR*>(request.data()), SQL_NTS);
    // SQL_NO_DATA from the request itself is a first statement that touched no rows; after that it is the end.
    bool first = true;
    while ((first || rc != SQL_NO_DATA) && results.size() <= statements) {
        first = false;
        if (rc == SQL_SUCCESS_WITH_INFO && carriesError(stmt.get()))
            rc = SQL_ERROR;
        results.push_back(succeeded(rc) || rc == SQL_NO_DATA ? Result{} : failure(stmt, rc));
        if (rc == SQL_INVALID_HANDLE || (dbc.limit && dbc.limit->lost))
            break;
        rc = SQLMoreResults(stmt.get());
    }
    SQLFreeStmt(stmt.get(), SQL_CLOSE);
    return results;
}

} // namespace

BatchOutcome sendBatch(Dbc dbc, const std::vector<std::string>& statements)
{
    std::string request;
    std::size_t length = 0;
    for (const auto& sql : statements)
        length += sql.size() + 1;
    request.reserve(length);
    std::vector<int> startLines; // the line each statement starts on
    startLines.reserve(statements.size());
    int line = 1;
    for (const auto& sql : statements) {
        if (!request.empty()) {
            request += '\n';
            ++line;
        }
        startLines.push_back(line);
        request += sql;
        line += static_cast<int>(std::count(sql.begin(), sql.end(), '\n'));
    }
    const std::vector<Result> results = readResults(Statement(dbc), dbc, request, statements.size());

    BatchOutcome outcome;
    const bool anyFailed = std::any_of(results.begin(), results.end(), [](const Result& r) { return r.error; });
    // Every statement answered, or nothing failed: each result is its statement's. Otherwise the request stopped at
    // its last result, and when that is a failure (a syntax error: nothing ran), its statement runs again too.
    const bool complete = results.size() >= statements.size() || !anyFailed;
    const std::size_t answered = complete ? statements.size() : results.size() - (results.back().error ? 1 : 0);
    for (std::size_t i = 0; i < answered && i < results.size(); ++i) {
        if (!results[i].error)
            continue;
        // The line a failure names picks its statement; the result's place stands in when it names none.
        std::size_t index = i;
        if (results[i].line > 0)
            index = static_cast<std::size_t>(std::upper_bound(startLines.begin(), startLines.end(), results[i].line) -
                                             startLines.begin() - 1);
        outcome.failed.emplace_back(std::min(index, statements.size() - 1), results[i].error);
    }
    outcome.resendFrom = answered;
    return outcome;
}

} // namespace db::odbc
