#pragma once

#include <string>

namespace db::odbc {

struct DriverChoice {
    const char* registeredName; // as odbcinst lists it
    const char* debianPath;     // the library, when it is not registered
    const char* description;    // for the error text
    const char* package;        // the Debian package that installs it
};

inline constexpr DriverChoice kFreeTds{"FreeTDS", "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so",
                                       "The FreeTDS ODBC driver for Sybase ASE", "tdsodbc"};
inline constexpr DriverChoice kSqlite{"SQLite3", "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so",
                                      "The SQLite ODBC driver for the embedded stand-in database", "libsqliteodbc"};

// What goes after DRIVER=: the registered name when the driver manager lists it, else the library's path when
// the file is there; otherwise throws a description that names the package to install.
std::string findDriver(const DriverChoice& choice);

} // namespace db::odbc
