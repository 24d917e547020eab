#pragma once

#include <mutex>
#include <utility>

namespace db {

// A process-wide function that tests may replace (a clock, a way to wait): get() gives the one in force; replace()
// puts in another, or the default again when given an empty one, and returns the one it replaces.
template <typename Fn> class Replaceable {
public:
    explicit Replaceable(Fn fallback) : m_default(fallback), m_current(std::move(fallback)) {}

    Fn get() const
    {
        std::lock_guard lock(m_mutex);
        return m_current;
    }

    Fn replace(Fn fn)
    {
        std::lock_guard lock(m_mutex);
        Fn old = std::move(m_current);
        m_current = fn ? std::move(fn) : m_default;
        return old;
    }

private:
    mutable std::mutex m_mutex;
    Fn m_default;
    Fn m_current;
};

} // namespace db
