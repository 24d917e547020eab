#include "TransferFixture.h"
#include "commands/Commands.h"
#include "db/GroupClock.h"
#include "db/odbc/StatementGroup.h"

#include <chrono>
#include <stdexcept>
#include <unistd.h>

namespace transfertest {
namespace {

using namespace std::chrono_literals;

// Sends to the stand-in, which commits the rows in groups. The groups' clock stands still unless a test moves it,
// and a test may put a fault in the way of the statements the session runs.
class StandInGroupTest : public TransferTest {
protected:
    StandInGroupTest()
    {
        m_oldClock = db::setGroupClock([this] { return m_now; });
    }
    ~StandInGroupTest() override
    {
        db::odbc::setStatementFault(m_oldFault);
        db::setGroupClock(m_oldClock);
    }

    void makeRows(int count)
    {
        fox("CREATE TABLE \"t\" (n I, c C(5))");
        for (int n = 1; n <= count; ++n)
            fox("INSERT INTO \"t\" VALUES (" + std::to_string(n) + ", 'r" + std::to_string(n) + "')");
    }
    void fault(db::odbc::StatementFault f) { m_oldFault = db::odbc::setStatementFault(std::move(f)); }
    void send()
    {
        fill(m_list1, {"t"}, {"t"}, "t");
        commands::sendToAse(m_window);
    }
    // The values of column N that arrived, in order.
    std::vector<int> numbers()
    {
        std::vector<int> out;
        for (const auto& row : aseRows("t"))
            out.push_back(std::stoi(text(row[0])));
        return out;
    }
    static std::vector<int> range(int from, int to, std::vector<int> except = {})
    {
        std::vector<int> out;
        for (int n = from; n <= to; ++n)
            if (std::find(except.begin(), except.end(), n) == except.end())
                out.push_back(n);
        return out;
    }
    static bool isRow(const std::string& sql, int n)
    {
        return sql.starts_with("INSERT INTO [t] VALUES('" + std::to_string(n) + "',");
    }
    static std::string insertOf(int n)
    {
        return "INSERT INTO [t] VALUES('" + std::to_string(n) + "', 'r" + std::to_string(n) + "')";
    }

    std::chrono::steady_clock::time_point m_now{};
    db::GroupClock m_oldClock;
    db::odbc::StatementFault m_oldFault;
};

// A row SQLite refuses inside a group (a trigger raising ABORT) fails alone: one report with its own statement, every
// other row arrives, and when the report shows, the rows sent before it are already readable from elsewhere.
TEST_F(StandInGroupTest, ARefusedRowFailsAloneAndWhatTheBoxReportsIsOnDisk)
{
    makeRows(10);
    bool installed = false;
    fault([&](const std::string& sql, const db::odbc::RunSql& run) {
        if (!installed && sql.starts_with("INSERT")) {
            installed = true;
            run("CREATE TEMP TRIGGER refuse BEFORE INSERT ON main.[t] WHEN NEW.[N] = '5' "
                "BEGIN SELECT RAISE(ABORT, 'row refused'); END");
        }
    });
    std::vector<int> seenAtBox;
    m_dialogs.onMessage = [&](const std::string&) { seenAtBox = numbers(); };
    send();

    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("row refused"), std::string::npos);
    EXPECT_NE(reports[0].find("at line 238\r\r"), std::string::npos);
    EXPECT_TRUE(reports[0].ends_with("\r\rsql: " + insertOf(5)));
    EXPECT_EQ(seenAtBox, range(1, 4));
    EXPECT_EQ(numbers(), range(1, 10, {5}));
}

// A failure that takes the whole transaction with it (a full disk) loses the group: its rows run again one by one
// in autocommit, so the reports are the ones each row gets alone, in order and with their own statements. (The box
// for row 3 commits rows 1 and 2 first, so the group lost at row 7 holds rows 4 to 6.)
TEST_F(StandInGroupTest, ALostTransactionRunsItsRowsAgainOneByOneWithTheirOwnReports)
{
    makeRows(10);
    int seenFive = 0;
    fault([&](const std::string& sql, const db::odbc::RunSql& run) {
        if (isRow(sql, 3)) // refused every time, the transaction kept
            throw std::runtime_error("[SQLite]row three refused (19)");
        if (isRow(sql, 5) && ++seenFive == 2) // gets through in the group, fails when run again
            throw std::runtime_error("[SQLite]row five refused (19)");
        if (isRow(sql, 7)) {
            try {
                run("ROLLBACK");
            } catch (const std::exception&) { // in autocommit there is no transaction to lose
            }
            throw std::runtime_error("[SQLite]database or disk is full (13)");
        }
    });
    RowCount count;
    m_window.sendObserver = &count;
    send();

    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_NE(reports[0].find("row three refused"), std::string::npos);
    EXPECT_TRUE(reports[0].ends_with("\r\rsql: " + insertOf(3)));
    EXPECT_NE(reports[1].find("row five refused"), std::string::npos);
    EXPECT_NE(reports[1].find("at line 238\r\r"), std::string::npos);
    EXPECT_TRUE(reports[1].ends_with("\r\rsql: " + insertOf(5)));
    EXPECT_NE(reports[2].find("database or disk is full"), std::string::npos);
    EXPECT_TRUE(reports[2].ends_with("\r\rsql: " + insertOf(7)));
    EXPECT_EQ(numbers(), range(1, 10, {3, 5, 7}));
    // Row 5 went through in its group and failed only when the group ran again: counted once, as failed.
    EXPECT_EQ(count.sent, 7);
    EXPECT_EQ(count.failed, 3);
    EXPECT_EQ(count.outcome, commands::SendObserver::Outcome::Created);
}

// The program killed in the middle of a send: the stand-in opens, and every row of every committed group is there
// (groups close at 1,000 rows, or at a quarter second when the clock moves).
TEST_F(StandInGroupTest, AKillLosesAtMostTheOpenGroup)
{
    makeRows(2500);
    // Killed before the 2,301st row: groups of 1,000 have committed 2,000 rows, groups of a quarter second (250
    // rows at 1 ms a row) 2,250.
    for (const auto& [msPerRow, committed] : {std::pair{0, 2000}, std::pair{1, 2250}}) {
        SCOPED_TRACE(msPerRow);
        if (aseHas("t"))
            ase("DROP TABLE [t]");
        std::string notes;
        const int status = testsupport::runInChild(
            [&](const std::function<void(char)>&) {
                int inserts = 0;
                fault([&](const std::string& sql, const db::odbc::RunSql&) {
                    if (!sql.starts_with("INSERT"))
                        return;
                    if (++inserts == 2301)
                        _exit(0);
                    m_now += std::chrono::milliseconds(msPerRow);
                });
                send();
                return 1; // the kill never came
            },
            notes);
        ASSERT_EQ(status, 0);
        const auto arrived = numbers();
        EXPECT_EQ(arrived.size(), static_cast<size_t>(committed));
        EXPECT_EQ(arrived, range(1, committed));
    }
}

} // namespace
} // namespace transfertest
