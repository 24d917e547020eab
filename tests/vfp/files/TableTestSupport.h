#pragma once

#include "db/Value.h"
#include "db/vfp/table/FieldDef.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace db {
// Readable failures: the value's text and its kind.
inline void PrintTo(const Value& v, std::ostream* os)
{
    *os << "[" << v.storage().index() << "]'" << v.toText() << "'";
}
} // namespace db

namespace filetest {

db::vfp::FieldDef field(const std::string& name, char type, int length = 0, int decimals = 0, bool nullable = false,
                        bool binary = false);

// Every live row of a table, through the streaming cursor.
std::vector<std::vector<db::Value>> readRows(const std::filesystem::path& dbf);

// Creates the table and appends the rows with one appender.
void writeTable(const std::filesystem::path& dbf, const std::vector<db::vfp::FieldDef>& fields,
                const std::vector<std::vector<db::Value>>& rows, std::uint8_t codePageMark = 0x03);

std::string bytesOf(const std::filesystem::path& file);

} // namespace filetest
