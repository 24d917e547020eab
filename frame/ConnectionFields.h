#pragma once

#include <string>

namespace frame {

// The connection window's fields as they stand: every operation that opens a database builds its connection
// string from these, afresh, without trimming; a value that would break the string is quoted, never changed.
struct ConnectionFields {
    std::string aseServer;
    std::string asePort;
    std::string aseUser;
    std::string asePassword;
    std::string aseDatabase;
    std::string dbcFile;         // the database container's path
    std::string freeTableFolder; // the free tables' folder
    bool useDbcFile = true;      // true: the container; otherwise the free-table folder
    // Not typed in the window: the settings ConnectDeadline and QueryTimeout (seconds; empty: the defaults).
    std::string connectDeadline;
    std::string queryTimeout;
};

} // namespace frame
