#pragma once

#include "db/odbc/OdbcError.h"
#include "db/odbc/PlainInsert.h"

#include <memory>
#include <string>
#include <vector>

namespace db::odbc {

// Runs the stand-in's plain INSERT statements (see PlainInsert.h) as one prepared statement with bound text
// values instead of handing the driver each text to parse afresh: the values arrive as the text statement would
// store them. The statement is prepared again when the head or the number of values changes, and dropped by
// forget() or by any statement of another shape.
class PreparedInsert {
public:
    // False when `sql` is not a plain INSERT or cannot be prepared (a missing table, a wrong number of values):
    // nothing has run then, and the caller runs the text, whose report is the one the user knows. A row that
    // fails when it runs throws the driver's message, which is the text statement's.
    bool run(Dbc dbc, const std::string& sql);
    void forget();

private:
    bool prepare(Dbc dbc, const PlainInsert& insert);
    void releaseLarge();

    static constexpr std::size_t kKeptValueBytes = 1 << 20;

    std::unique_ptr<Statement> m_statement;
    std::string m_head;
    std::size_t m_count = 0;
    std::vector<std::string> m_values;  // this row's values; each keeps its capacity from row to row
    std::vector<const char*> m_boundAt; // where each parameter was bound last
    std::vector<SQLLEN> m_lengths;      // SQL_NTS for every value: the driver takes them as they are
};

} // namespace db::odbc
