#include "db/odbc/StatementGroup.h"

#include "db/Replaceable.h"

namespace db::odbc {

namespace {

std::chrono::steady_clock::time_point steadyNow()
{
    return std::chrono::steady_clock::now();
}

void noFault(const std::string& /*sql*/, const RunSql& /*runOnConnection*/) {}

db::Replaceable<GroupClock>& groupClock()
{
    static db::Replaceable<GroupClock> clock{GroupClock(steadyNow)};
    return clock;
}

db::Replaceable<StatementFault>& statementFault()
{
    static db::Replaceable<StatementFault> fault{StatementFault(noFault)};
    return fault;
}

} // namespace

GroupClock setGroupClock(GroupClock clock)
{
    return groupClock().replace(std::move(clock));
}

std::chrono::steady_clock::time_point groupNow()
{
    return groupClock().get()();
}

StatementFault setStatementFault(StatementFault fault)
{
    return statementFault().replace(std::move(fault));
}

void applyStatementFault(const std::string& sql, const RunSql& runOnConnection)
{
    statementFault().get()(sql, runOnConnection);
}

} // namespace db::odbc
