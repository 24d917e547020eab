#include "transfer/Yielder.h"

#include <QCoreApplication>

namespace transfer {

Yielder::Yielder(db::YieldFn pump, std::chrono::milliseconds interval) : m_pump(std::move(pump)), m_interval(interval)
{
    if (!m_pump)
        m_pump = [] {
            if (QCoreApplication::instance())
                QCoreApplication::processEvents();
        };
}

void Yielder::operator()()
{
    const auto now = std::chrono::steady_clock::now();
    if (m_pumped && now - m_last < m_interval)
        return;
    m_pumped = true;
    m_pump();
    // Measured after the pump: time spent repainting does not count towards the next interval.
    m_last = std::chrono::steady_clock::now();
}

} // namespace transfer
