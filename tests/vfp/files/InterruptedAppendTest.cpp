// An append cut short at any of its writes (a full disk, a pulled plug) leaves a table that reads back with every
// earlier record, and that takes new records again once reopened.
#include "TableTestSupport.h"
#include "db/vfp/table/TableFiles.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using db::Value;
using filetest::field;

std::vector<Value> rowNumber(int n)
{
    return {std::int64_t{n}, "name " + std::to_string(n), std::string(200 + n, 'm'), db::Bytes{1, 0, 2},
            n % 2 ? Value(db::Null{}) : Value("v")};
}

TEST(InterruptedAppend, everyCutLeavesTheEarlierRecordsReadable)
{
    testsupport::TempDir dir;
    std::vector<db::vfp::FieldDef> fields = {field("ID", 'I'), field("NAME", 'C', 20), field("NOTE", 'M'),
                                             field("BLOB", 'W'), field("VNAME", 'V', 10, 0, true)};
    auto base = dir.path() / "base";
    std::filesystem::create_directory(base);
    filetest::writeTable(base / "t.dbf", fields, {rowNumber(1), rowNumber(2)});
    bool completed = false;
    for (int writes = 0; !completed; ++writes) {
        SCOPED_TRACE("the write after " + std::to_string(writes) + " fails");
        ASSERT_LT(writes, 20) << "an append should need only a handful of writes";
        auto work = dir.path() / ("cut" + std::to_string(writes));
        std::filesystem::copy(base, work);
        {
            auto budget = std::make_shared<db::vfp::WriteBudget>(writes);
            db::vfp::TableAppender appender(work / "t.dbf", db::vfp::failingFileOpener(budget));
            try {
                appender.append(rowNumber(3));
                completed = true;
            } catch (const std::runtime_error& e) {
                EXPECT_NE(std::string(e.what()).find("simulated"), std::string::npos) << e.what();
                EXPECT_THROW(appender.append(rowNumber(9)), std::runtime_error); // refuses until reopened
            }
        }
        auto rows = filetest::readRows(work / "t.dbf");
        ASSERT_GE(rows.size(), 2u);
        EXPECT_EQ(rows[0], rowNumber(1));
        EXPECT_EQ(rows[1], rowNumber(2));
        EXPECT_EQ(rows.size(), completed ? 3u : 2u);
        db::vfp::TableAppender again(work / "t.dbf");
        again.append(rowNumber(4));
        rows = filetest::readRows(work / "t.dbf");
        ASSERT_EQ(rows.size(), completed ? 4u : 3u);
        EXPECT_EQ(rows.back(), rowNumber(4));
    }
}

} // namespace
