#pragma once

#include <optional>
#include <string>

namespace frame {

// The text of the "Application Error" message, byte for byte: description, CR LF, location, "at line " and the
// number, CR CR, the e-mail request, and for the sends CR CR "sql: " and the statement.
std::string applicationErrorMessage(const std::string& location, int line, const std::string& description,
                                    const std::optional<std::string>& statement = std::nullopt);

// Shows that message in a modal warning box titled "Application Error" with one OK button.
void ShowApplicationError(const std::string& location, int line, const std::string& description,
                          const std::optional<std::string>& statement = std::nullopt);

} // namespace frame
