#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzzing {

// Feeds bytes to the table reader (and the appender) as a .dbf and its .fpt: the first four bytes say how many of
// the rest are the table, the remainder is the memo file. Failures must be std::runtime_error; anything else
// (a crash, another exception) is a fault. Returns 0.
int runTableReader(const std::uint8_t* data, std::size_t size);

} // namespace fuzzing
