#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace db::vfp {

// How the engine groups the INSERT statements of a send: the held rows are written once they are this many, take
// this many bytes, or the oldest of them is this old, whichever comes first.
inline constexpr std::size_t kGroupRows = 1000;
inline constexpr std::uint64_t kGroupBytes = std::uint64_t{8} << 20;
inline constexpr std::chrono::milliseconds kGroupAge{250};
// Groups are aged by db::groupNow() (db/GroupClock.h).

} // namespace db::vfp
