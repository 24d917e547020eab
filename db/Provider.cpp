#include "db/Provider.h"

#include <map>
#include <mutex>
#include <stdexcept>

namespace db {

namespace {

std::map<std::string, ProviderFactory>& registry()
{
    static std::map<std::string, ProviderFactory> providers;
    return providers;
}

std::mutex& registryMutex()
{
    static std::mutex m;
    return m;
}

} // namespace

void registerProvider(const std::string& name, ProviderFactory factory)
{
    std::lock_guard lock(registryMutex());
    registry()[toLowerAscii(name)] = std::move(factory);
}

std::unique_ptr<ProviderConnection> openProvider(const std::string& connectionString, const OpenOptions& options)
{
    auto cs = ConnectionString::parse(connectionString);
    auto name = cs.get("Provider");
    if (!name || name->empty())
        throw std::runtime_error("Provider cannot be found. The connection string names no Provider.");
    ProviderFactory factory;
    {
        std::lock_guard lock(registryMutex());
        auto it = registry().find(toLowerAscii(*name));
        if (it == registry().end())
            throw std::runtime_error("Provider cannot be found. It may not be properly installed: " + *name);
        factory = it->second;
    }
    return factory(cs, options);
}

MemoryCursor::MemoryCursor(std::vector<FieldInfo> fields, std::vector<std::vector<Value>> rows)
    : m_fields(std::move(fields)), m_rows(std::move(rows))
{
}

bool MemoryCursor::next(std::vector<Value>& row)
{
    if (m_pos >= m_rows.size())
        return false;
    row = m_rows[m_pos++];
    return true;
}

std::vector<FieldInfo> tablesSchemaFields()
{
    return {{"TABLE_CATALOG", ado::VarWChar},   {"TABLE_SCHEMA", ado::VarWChar}, {"TABLE_NAME", ado::VarWChar},
            {"TABLE_TYPE", ado::VarWChar},      {"TABLE_GUID", ado::GUID},       {"DESCRIPTION", ado::VarWChar},
            {"TABLE_PROPID", ado::UnsignedInt}, {"DATE_CREATED", ado::DateType}, {"DATE_MODIFIED", ado::DateType}};
}

std::vector<Value> tablesSchemaRow(const std::string& tableName, const std::string& tableType)
{
    return {Null{}, Null{}, Value(tableName), Value(tableType), Null{}, Null{}, Null{}, Null{}, Null{}};
}

} // namespace db
