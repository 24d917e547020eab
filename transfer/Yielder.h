#pragma once

#include "db/ConnectionFields.h"

#include <chrono>

namespace transfer {

// Lets the user interface process its events at the command's yield points, but only once some milliseconds
// have passed since the last time: a send yields at every field, and pumping the event loop a million times
// would cost more than the send. The first call always pumps.
class Yielder {
public:
    explicit Yielder(db::YieldFn pump, std::chrono::milliseconds interval = std::chrono::milliseconds(30));
    void operator()();

private:
    db::YieldFn m_pump;
    std::chrono::steady_clock::duration m_interval;
    std::chrono::steady_clock::time_point m_last{};
    bool m_pumped = false;
};

} // namespace transfer
