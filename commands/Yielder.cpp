#include "commands/Yielder.h"

namespace commands {

Yielder::Yielder(frame::YieldFn pump, std::chrono::milliseconds interval, Clock clock)
    : m_pump(std::move(pump)), m_interval(interval), m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] { return std::chrono::steady_clock::now(); };
}

void Yielder::operator()()
{
    const auto now = m_clock();
    if (m_pumped && now - m_last < m_interval)
        return;
    m_pumped = true;
    if (m_pump)
        m_pump();
    // Measured after the pump: time spent repainting does not count towards the next interval.
    m_last = m_clock();
}

} // namespace commands
