#include "db/odbc/OdbcProvider.h"

#include "db/odbc/DriverLookup.h"
#include "db/odbc/DriverString.h"
#include "db/odbc/OdbcConnect.h"
#include "db/odbc/OdbcSession.h"

#include <filesystem>
#include <stdexcept>

namespace db::odbc {

namespace {

namespace fs = std::filesystem;

std::unique_ptr<ProviderConnection> openStandIn(const ConnectionString& cs, AseTarget target)
{
    if (target.standInFile.empty())
        throw std::runtime_error("No database file follows \"sqlite:\" in the server name.");
    std::error_code ec;
    fs::path file = fs::absolute(target.standInFile, ec);
    if (ec)
        throw std::runtime_error("The stand-in database path is not valid: " + target.standInFile);
    // The driver says only "connect failed" for a file in a missing folder, so look first.
    if (!fs::is_directory(file.parent_path(), ec))
        throw std::runtime_error("The folder of the stand-in database does not exist: " + file.parent_path().string());
    if (fs::is_directory(file, ec))
        throw std::runtime_error("The stand-in database is a folder, not a file: " + file.string());
    target.standInFile = file.string();
    DriverString driver = standInDriverString(cs, target, findDriver(kSqlite));
    // Rows are read through a second connection that steps through results: by default the driver reads a
    // whole result into memory first. Statements keep the default, because in step mode the driver leaves
    // some statements unrun until a fetch (a WITH ... INSERT never runs).
    DriverString reader = driver;
    reader.set("StepAPI", "1");
    return std::make_unique<OdbcSession>(connectDirect(driver.text()), true,
                                         [text = reader.text()] { return connectDirect(text); });
}

std::unique_ptr<ProviderConnection> openAse(const ConnectionString& cs, const AseTarget& target)
{
    if (target.server.empty())
        throw std::runtime_error("No Sybase ASE server is named in the Data Source.");
    auto deadline = connectDeadline(cs);
    const unsigned answerSeconds = queryTimeoutSeconds(cs);
    const std::string driver = findDriver(kFreeTds);
    DriverString driverString = aseDriverString(cs, target, driver);
    if (driverString.braceStyleMatters() && !driverDoublesClosingBraces(driver))
        driverString.setQuoting(DriverString::Quoting::BracesVerbatim);
    auto text = driverString.text();
    std::string where = target.server + (target.port.empty() ? "" : ":" + target.port);
    auto link = connectWithDeadline(text, deadline, where);
    // Every statement and fetch from now on: FreeTDS gives up after this long without an answer (its query
    // timeout, from the driver string, and SQL_ATTR_QUERY_TIMEOUT on each statement), and says so in our words.
    link->setAnswerLimit({answerSeconds, where});
    auto session = std::make_unique<OdbcSession>(std::move(link), false);
    session->learnCharset();
    return session;
}

} // namespace

void registerOdbcProvider()
{
    registerProvider("ASEOLEDB", [](const ConnectionString& cs, const OpenOptions&) {
        AseTarget target = parseTarget(cs);
        return target.standIn ? openStandIn(cs, target) : openAse(cs, target);
    });
}

} // namespace db::odbc
