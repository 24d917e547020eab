#pragma once

#include "db/ConnectionString.h"
#include "db/Value.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace db {

// ADO DataTypeEnum numbers the providers report.
namespace ado {
enum Type : int {
    Empty = 0,
    SmallInt = 2,
    Integer = 3,
    Single = 4,
    Double = 5,
    CurrencyType = 6,
    DateType = 7,
    Boolean = 11,
    DecimalType = 14,
    TinyInt = 16,
    UnsignedTinyInt = 17,
    UnsignedSmallInt = 18,
    UnsignedInt = 19,
    BigInt = 20,
    GUID = 72,
    Binary = 128,
    Char = 129,
    WChar = 130,
    Numeric = 131,
    DBDate = 133,
    DBTime = 134,
    DBTimeStamp = 135,
    VarChar = 200,
    LongVarChar = 201,
    VarWChar = 202,
    LongVarWChar = 203,
    VarBinary = 204,
    LongVarBinary = 205,
};
} // namespace ado

// ADO's other numbers, by name; the values are ADO's own (CursorLocationEnum, ConnectModeEnum, CursorTypeEnum,
// LockTypeEnum, SchemaEnum).
enum class CursorLocation : int { Server = 2, Client = 3 };
enum class ConnectMode : int { Unknown = 0, Read = 1, Write = 2, ReadWrite = 3 };
enum class CursorType : int { Unspecified = -1, ForwardOnly = 0, Keyset = 1, Dynamic = 2, Static = 3 };
enum class LockType : int { Unspecified = -1, ReadOnly = 1, Pessimistic = 2, Optimistic = 3, BatchOptimistic = 4 };
enum class Schema : int { Tables = 20 };

struct FieldInfo {
    std::string name;
    int type = ado::Empty; // ADO DataTypeEnum
};

// A provider's result: fields known up front, an exact row count before the first row, rows streamed one by one.
class Cursor {
public:
    virtual ~Cursor() = default;
    virtual const std::vector<FieldInfo>& fields() const = 0;
    virtual long long recordCount() = 0;
    // Reads the next row into `row` (one value per field); false once past the last row. All or nothing: a row that
    // cannot be read throws and leaves `row` as it was, and the next call reads on after that row.
    virtual bool next(std::vector<Value>& row) = 0;
};

struct OpenOptions {
    CursorLocation cursorLocation = CursorLocation::Server;
    ConnectMode mode = ConnectMode::Unknown;
};

// An open provider session. Every failure is an exception whose what() is a description a user can act on.
// A character a connection cannot store (as UTF-8), and the name of the character set that lacks it.
struct UnstorableCharacter {
    std::string character;
    std::string charset;
};

class ProviderConnection {
public:
    virtual ~ProviderConnection() = default;
    virtual void execute(const std::string& sql) = 0;
    // The first character of `text` that this connection's character set cannot hold; nothing when all fit.
    virtual std::optional<UnstorableCharacter> findUnstorable(const std::string& /*text*/) const { return {}; }
    virtual std::unique_ptr<Cursor> query(const std::string& sql) = 0;
    // The tables schema rowset: at least TABLE_NAME and TABLE_TYPE.
    virtual std::unique_ptr<Cursor> tablesSchema() = 0;

    // Grouping: from beginGroup() until endGroup() a provider may put INSERT statements into transactions of its
    // own, or hold them and send or write them together, and commit them when it sees fit; commitGroup() makes every
    // statement executed so far durable. A statement refused before it is held (a value that cannot be converted or
    // stored) still throws from its own execute(). A held statement that fails when the provider sends or writes it,
    // and each statement of a group that was lost whole and failed when run again on its own, goes to
    // `replayFailed` with its own text and error; no statement is ever run twice once it succeeded. Providers that
    // run every statement on its own ignore all three.
    using ReplayFailed = std::function<void(const std::string& sql, std::exception_ptr error)>;
    virtual void beginGroup(const ReplayFailed& /*replayFailed*/) {}
    virtual void commitGroup() {}
    virtual void endGroup() {}
};

using ProviderFactory = std::function<std::unique_ptr<ProviderConnection>(const ConnectionString&, const OpenOptions&)>;

// Providers register under their Provider= names, matched case-insensitively.
void registerProvider(const std::string& name, ProviderFactory factory);
std::unique_ptr<ProviderConnection> openProvider(const std::string& connectionString, const OpenOptions& options);

// A cursor over rows held in memory, for small rowsets such as schema listings.
class MemoryCursor : public Cursor {
public:
    MemoryCursor(std::vector<FieldInfo> fields, std::vector<std::vector<Value>> rows);
    const std::vector<FieldInfo>& fields() const override { return m_fields; }
    long long recordCount() override { return static_cast<long long>(m_rows.size()); }
    bool next(std::vector<Value>& row) override;

private:
    std::vector<FieldInfo> m_fields;
    std::vector<std::vector<Value>> m_rows;
    size_t m_pos = 0;
};

// The standard columns of the tables schema rowset, in their order.
std::vector<FieldInfo> tablesSchemaFields();
std::vector<Value> tablesSchemaRow(const std::string& tableName, const std::string& tableType);

} // namespace db
