#pragma once

#include "frame/ErrorReport.h"

#include <exception>
#include <optional>
#include <string>
#include <utility>

namespace frame {

// The error trap of a window command. A command is written as its numbered steps:
//
//     ErrorTrap trap(loc::Form2_PushButton3_Click, &statement);
//     trap.step(100, [&] { target = ...; });
//     if (trap.test(106, [&] { return list.currentIndex() == -1; })) { ... }
//
// A step that throws is reported once ("Application Error", with the step's number and, for the sends, the
// statement text) and the command goes on with its next step. A condition that throws counts as true, so the
// block's body runs. A failure deep inside helpers without traps surfaces at the step that called them.
class ErrorTrap {
public:
    explicit ErrorTrap(std::string location, const std::string* statement = nullptr)
        : m_location(std::move(location)), m_statement(statement)
    {
    }

    template <typename F> void step(int line, F&& body)
    {
        try {
            std::forward<F>(body)();
        } catch (...) {
            report(line, std::current_exception());
        }
    }

    template <typename F> bool test(int line, F&& condition)
    {
        try {
            return static_cast<bool>(std::forward<F>(condition)());
        } catch (...) {
            report(line, std::current_exception());
            return true;
        }
    }

    int failures() const { return m_failures; }

private:
    void report(int line, std::exception_ptr error);

    std::string m_location;
    const std::string* m_statement;
    int m_failures = 0;
};

// The description a failure carries: what() of a std::exception, a fixed text otherwise.
std::string describe(std::exception_ptr error);

} // namespace frame
