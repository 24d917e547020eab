#pragma once

#include "commands/SqlText.h"
#include "db/Recordset.h"
#include "frame/ErrorTrap.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

// Small pieces the table commands share.
namespace commands::detail {

inline constexpr const char* kProgressIdle = "Progress Bar";

// An object the command created in one of its steps; using it when that step failed is a failure of its own.
template <typename T> T& obj(const std::unique_ptr<T>& p)
{
    if (!p)
        throw std::runtime_error("Object variable or With block variable not set");
    return *p;
}

inline void dropLast(std::string& s, std::size_t count)
{
    if (s.size() < count)
        throw std::runtime_error("Invalid procedure call or argument");
    s.resize(s.size() - count);
}

// The share of rows sent, 0 to 100, rounded half to even as the progress bar's integer value takes it.
inline int percent(std::int32_t row, std::int32_t lastRow)
{
    return static_cast<int>(std::nearbyint((row + 1.0) / (lastRow + 1.0) * 100.0));
}

// The source ran out of rows before the count it gave: the row loop stops there instead of sending rows of
// nothing (a table can shrink between the count and the read).
inline bool rowsRanOut(const std::unique_ptr<db::Recordset>& rs)
{
    return rs && rs->isOpen() && rs->Eof();
}

// A step that puts a name between delimiters: false when the name was refused (the trap has reported it), so the
// command sends nothing for that table.
template <typename F> bool nameStep(frame::ErrorTrap& trap, int line, F&& body)
{
    bool refused = false;
    trap.step(line, [&] {
        try {
            body();
        } catch (const RefusedName&) {
            refused = true;
            throw;
        }
    });
    return !refused;
}

// A step that tells whether it ran to its end.
template <typename F> bool stepSucceeded(frame::ErrorTrap& trap, int line, F&& body)
{
    bool done = false;
    trap.step(line, [&] {
        body();
        done = true;
    });
    return done;
}

} // namespace commands::detail
