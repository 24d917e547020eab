#include "db/odbc/DriverLookup.h"

#include "db/odbc/OdbcError.h"

#include <filesystem>
#include <stdexcept>

namespace db::odbc {

namespace {

// The Driver= attribute of a registered driver, or nothing when the driver manager does not list the name.
bool registeredLibrary(const std::string& name, std::string& library)
{
    SQLHENV env = SQL_NULL_HENV;
    if (!succeeded(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return false;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    bool found = false;
    SQLCHAR desc[256];
    SQLCHAR attrs[2048];
    SQLSMALLINT descLen = 0;
    SQLSMALLINT attrsLen = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (!found &&
           succeeded(SQLDrivers(env, direction, desc, sizeof desc, &descLen, attrs, sizeof attrs, &attrsLen))) {
        direction = SQL_FETCH_NEXT;
        if (name != reinterpret_cast<const char*>(desc))
            continue;
        found = true;
        // Attributes come as "key=value\0key=value\0\0".
        for (const char* p = reinterpret_cast<const char*>(attrs); *p; p += std::char_traits<char>::length(p) + 1) {
            std::string kv(p);
            if (kv.rfind("Driver=", 0) == 0)
                library = kv.substr(7);
        }
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return found;
}

} // namespace

std::string findDriver(const DriverChoice& choice)
{
    std::string library;
    if (registeredLibrary(choice.registeredName, library)) {
        // A bare file name is resolved by the driver manager in its own folder; a full path we can check.
        std::error_code ec;
        if (library.empty() || library.front() != '/' || std::filesystem::exists(library, ec))
            return choice.registeredName;
    }
    std::error_code ec;
    if (std::filesystem::exists(choice.debianPath, ec))
        return choice.debianPath;
    throw std::runtime_error(std::string(choice.description) + " is not installed. Install the package " +
                             choice.package + " (apt-get install " + choice.package + ").");
}

} // namespace db::odbc
