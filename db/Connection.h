#pragma once

#include "db/Provider.h"

#include <memory>
#include <string>

namespace db {

class Recordset;

// The ADO connection the commands use: set CursorLocation and Mode, Open a connection string, Execute
// statements, OpenSchema(20), Close. Destroying an open connection releases it.
class Connection {
public:
    int CursorLocation = ado::UseServer;
    int Mode = 0;

    void Open(const std::string& connectionString);
    void Execute(const std::string& sql);
    Recordset OpenSchema(int schema);
    void Close();
    bool isOpen() const { return m_provider != nullptr; }

    ProviderConnection& provider(); // throws when closed

private:
    std::unique_ptr<ProviderConnection> m_provider;
};

} // namespace db
