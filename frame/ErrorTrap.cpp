#include "frame/ErrorTrap.h"

#include <stdexcept>
#include <utility>

namespace frame {

std::string describe(std::exception_ptr error)
{
    try {
        std::rethrow_exception(std::move(error));
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unexpected error";
    }
}

void ErrorTrap::report(int line, std::exception_ptr error)
{
    ++m_failures;
    std::optional<std::string> statement;
    if (m_statement)
        statement = *m_statement;
    ShowApplicationError(m_location, line, describe(std::move(error)), statement);
}

} // namespace frame
