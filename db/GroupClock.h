#pragma once

#include <chrono>
#include <functional>

namespace db {

// The clock that ages statement groups (how long a provider holds rows before it commits or sends them); tests put
// in one of their own (an empty function restores the real one). Returns the one it replaces.
using GroupClock = std::function<std::chrono::steady_clock::time_point()>;
GroupClock setGroupClock(GroupClock clock);
std::chrono::steady_clock::time_point groupNow();

} // namespace db
