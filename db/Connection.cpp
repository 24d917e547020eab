#include "db/Connection.h"

#include "db/Recordset.h"

#include <stdexcept>

namespace db {

void Connection::Open(const std::string& connectionString)
{
    if (m_provider)
        throw std::runtime_error("Operation is not allowed when the object is open.");
    m_provider = openProvider(connectionString, OpenOptions{CursorLocation, Mode});
}

ProviderConnection& Connection::provider()
{
    if (!m_provider)
        throw std::runtime_error("Operation is not allowed when the object is closed.");
    return *m_provider;
}

void Connection::Execute(const std::string& sql)
{
    provider().execute(sql);
}

Recordset Connection::OpenSchema(Schema schema)
{
    if (schema != Schema::Tables)
        throw std::runtime_error("Object or provider is not capable of performing requested operation: schema " +
                                 std::to_string(static_cast<int>(schema)));
    return Recordset(provider().tablesSchema());
}

std::optional<UnstorableCharacter> Connection::findUnstorable(const std::string& text)
{
    return provider().findUnstorable(text);
}

void Connection::beginGroup(const ProviderConnection::ReplayFailed& replayFailed)
{
    provider().beginGroup(replayFailed);
}

void Connection::commitGroup()
{
    if (m_provider)
        m_provider->commitGroup();
}

void Connection::endGroup()
{
    if (m_provider)
        m_provider->endGroup();
}

void Connection::Close()
{
    if (!m_provider)
        throw std::runtime_error("Operation is not allowed when the object is closed.");
    m_provider.reset();
}

} // namespace db
