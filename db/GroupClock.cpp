#include "db/GroupClock.h"

#include "db/Replaceable.h"

namespace db {

namespace {

std::chrono::steady_clock::time_point steadyNow()
{
    return std::chrono::steady_clock::now();
}

Replaceable<GroupClock>& groupClock()
{
    static Replaceable<GroupClock> clock{GroupClock(steadyNow)};
    return clock;
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

} // namespace db
