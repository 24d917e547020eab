#include "db/Recordset.h"

#include "db/Connection.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// Rows 1 to `count` of one column, of which those in `unreadable` throw when read after filling the row halfway,
// as a record with a damaged value does.
class DamagedCursor : public db::Cursor {
public:
    DamagedCursor(int count, std::vector<int> unreadable) : m_count(count), m_unreadable(std::move(unreadable)) {}
    const std::vector<db::FieldInfo>& fields() const override { return m_fields; }
    long long recordCount() override { return m_count; }
    bool next(std::vector<db::Value>& row) override
    {
        if (m_pos >= m_count)
            return false;
        const int n = ++m_pos;
        row.assign(2, db::Value(std::int64_t{n}));
        if (std::find(m_unreadable.begin(), m_unreadable.end(), n) != m_unreadable.end())
            throw std::runtime_error("record " + std::to_string(n) + " is damaged");
        return true;
    }

private:
    std::vector<db::FieldInfo> m_fields{{"a", db::ado::Integer}, {"b", db::ado::Integer}};
    int m_count;
    std::vector<int> m_unreadable;
    int m_pos = 0;
};

TEST(Recordset, ARowThatFailsToReadLeavesNoValuesAndTheNextMoveReadsOn)
{
    db::Recordset rs(std::make_unique<DamagedCursor>(3, std::vector<int>{2}));
    EXPECT_EQ(rs.fields(1).value(), db::Value(std::int64_t{1}));
    EXPECT_THROW(rs.MoveNext(), std::runtime_error);
    // Neither the half-read record's values nor the previous row's: there is no current row.
    EXPECT_FALSE(rs.Eof());
    EXPECT_THROW(rs.fields(0).value(), std::runtime_error);
    EXPECT_THROW(rs.fields(1).value(), std::runtime_error);
    rs.MoveNext();
    EXPECT_EQ(rs.fields(0).value(), db::Value(std::int64_t{3}));
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
}

// A provider whose first query delivers a damaged first row, and every later one two good rows.
class OnceDamagedProvider : public db::ProviderConnection {
public:
    void execute(const std::string&) override {}
    std::unique_ptr<db::Cursor> query(const std::string&) override
    {
        return std::make_unique<DamagedCursor>(2, m_queries++ == 0 ? std::vector<int>{1} : std::vector<int>{});
    }
    std::unique_ptr<db::Cursor> tablesSchema() override { return nullptr; }

private:
    int m_queries = 0;
};

// Without this, the recordset stayed open after the failure and every later Open of it failed as well.
TEST(Recordset, AnOpenWhoseFirstRowFailsLeavesItClosedAndItOpensAgain)
{
    db::registerProvider("OnceDamaged", [](const db::ConnectionString&, const db::OpenOptions&) {
        return std::make_unique<OnceDamagedProvider>();
    });
    db::Connection c;
    c.Open("Provider=OnceDamaged;");
    db::Recordset rs;
    EXPECT_THROW(rs.Open("SELECT", c), std::runtime_error);
    EXPECT_FALSE(rs.isOpen());
    rs.Open("SELECT", c);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.fields(0).value(), db::Value(std::int64_t{1}));
}

} // namespace
