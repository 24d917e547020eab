#include "frame/ErrorReport.h"

#include "frame/BuildConstants.h"
#include "frame/Dialogs.h"

namespace frame {

std::string applicationErrorMessage(const std::string& location, int line, const std::string& description,
                                    const std::optional<std::string>& statement)
{
    std::string text = description + "\r\n" + location + "at line " + std::to_string(line) + "\r\r" +
                       "Please email screenshot of this message to " + build::SupportEmail;
    if (statement)
        text += "\r\rsql: " + *statement;
    return text;
}

void ShowApplicationError(const std::string& location, int line, const std::string& description,
                          const std::optional<std::string>& statement)
{
    runBeforeMessageBox();
    dialogs().messageBox(applicationErrorMessage(location, line, description, statement), Exclamation,
                         "Application Error");
}

} // namespace frame
