#pragma once

#include "db/Provider.h"

#include <memory>
#include <string>

namespace db {

class Recordset;

// The ADO connection the commands use: set CursorLocation and Mode, Open a connection string, Execute
// statements, OpenSchema(Schema::Tables), Close. Destroying an open connection releases it.
class Connection {
public:
    db::CursorLocation CursorLocation = db::CursorLocation::Server;
    ConnectMode Mode = ConnectMode::Unknown;

    void Open(const std::string& connectionString);
    void Execute(const std::string& sql);
    Recordset OpenSchema(Schema schema);
    // The first character of `text` the database cannot store in its character set (throws when closed).
    std::optional<UnstorableCharacter> findUnstorable(const std::string& text);
    // Statement groups (see ProviderConnection); a closed connection has nothing to commit.
    void beginGroup(const ProviderConnection::ReplayFailed& replayFailed);
    void commitGroup();
    void endGroup();
    void Close();
    bool isOpen() const { return m_provider != nullptr; }

    ProviderConnection& provider(); // throws when closed

private:
    std::unique_ptr<ProviderConnection> m_provider;
};

} // namespace db
