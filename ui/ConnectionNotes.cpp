#include "ui/ConnectionNotes.h"

#include "frame/BuildConstants.h"

namespace ui {

std::string aseHelpNote()
{
    const std::string lines[] = {
        "This is how I was able to make a Sybase ASE connection: ",
        "I purchased",
        "Sybase Adaptive Server Enterprise \u2013 Developer's Edition",
        std::string("via ") + frame::build::AseVendorDomain,
        "and downloaded the Sybase 15.01 Client",
        "specifically",
        "ase1501clientwin32.zip",
        "Make sure you select Custom instead of Typical and Full and make sure",
        "ASE Data Providers (ASE ODBC Driver)",
        "are installed during the client installation.",
    };
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\r";
    return text;
}

std::string foxProNote()
{
    return "Make sure FoxPro is closed while using this application.";
}

std::string tablesHelpNote()
{
    return std::string("Questions? Please contact Team Haddlemere at ") + frame::build::MakerContactPage;
}

} // namespace ui
