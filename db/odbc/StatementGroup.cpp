#include "db/odbc/StatementGroup.h"

#include "db/Replaceable.h"

namespace db::odbc {

namespace {

void noFault(const std::string& /*sql*/, const RunSql& /*runOnConnection*/) {}

db::Replaceable<StatementFault>& statementFault()
{
    static db::Replaceable<StatementFault> fault{StatementFault(noFault)};
    return fault;
}

} // namespace

StatementFault setStatementFault(StatementFault fault)
{
    return statementFault().replace(std::move(fault));
}

void applyStatementFault(const std::string& sql, const RunSql& runOnConnection)
{
    statementFault().get()(sql, runOnConnection);
}

} // namespace db::odbc
