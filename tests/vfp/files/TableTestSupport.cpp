#include "TableTestSupport.h"

#include "db/vfp/table/TableFiles.h"
#include "support/TestSupport.h"

namespace filetest {

db::vfp::FieldDef field(const std::string& name, char type, int length, int decimals, bool nullable, bool binary)
{
    return db::vfp::makeField(name, type,
                              {.length = length, .decimals = decimals, .nullable = nullable, .binary = binary});
}

std::vector<std::vector<db::Value>> readRows(const std::filesystem::path& dbf)
{
    auto cursor = db::vfp::openTableCursor(dbf);
    std::vector<std::vector<db::Value>> rows;
    std::vector<db::Value> row;
    while (cursor->next(row))
        rows.push_back(row);
    if (static_cast<long long>(rows.size()) != cursor->recordCount())
        throw std::runtime_error("the count before the first row differs from the rows read");
    return rows;
}

void writeTable(const std::filesystem::path& dbf, const std::vector<db::vfp::FieldDef>& fields,
                const std::vector<std::vector<db::Value>>& rows, std::uint8_t codePageMark)
{
    db::vfp::createTableFiles(dbf, fields, codePageMark);
    db::vfp::TableAppender appender(dbf);
    for (const auto& row : rows)
        appender.append(row);
}

std::string bytesOf(const std::filesystem::path& file)
{
    return testsupport::readFile(file);
}

} // namespace filetest
