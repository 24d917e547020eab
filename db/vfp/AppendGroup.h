#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

namespace db::vfp {

// How the engine groups the INSERT statements of a send: the held rows are written once they are this many, take
// this many bytes, or the oldest of them is this old, whichever comes first.
inline constexpr std::size_t kGroupRows = 1000;
inline constexpr std::uint64_t kGroupBytes = std::uint64_t{8} << 20;
inline constexpr std::chrono::milliseconds kGroupAge{250};

// The clock that ages groups; tests put in one of their own (an empty function restores the real one).
using GroupClock = std::function<std::chrono::steady_clock::time_point()>;
GroupClock setGroupClock(GroupClock clock);
std::chrono::steady_clock::time_point groupNow();

} // namespace db::vfp
