#pragma once

#include "frame/WindowControls.h"

#include <chrono>
#include <functional>

namespace commands {

// Lets the user interface process its events at the command's yield points, but only once some milliseconds
// have passed since the last time: a send yields at every field, and pumping the event loop a million times
// would cost more than the send. The first call always pumps; an empty pump does nothing.
class Yielder {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // `clock` gives the time now; empty: the steady clock. Tests pass their own.
    explicit Yielder(frame::YieldFn pump, std::chrono::milliseconds interval = std::chrono::milliseconds(30),
                     Clock clock = {});
    void operator()();

private:
    frame::YieldFn m_pump;
    std::chrono::steady_clock::duration m_interval;
    Clock m_clock;
    std::chrono::steady_clock::time_point m_last{};
    bool m_pumped = false;
};

} // namespace commands
