#include "TransferFixture.h"
#include "commands/Commands.h"
#include "db/GroupClock.h"
#include "db/builtin/BuiltinProviders.h"
#include "db/vfp/AppendGroup.h"
#include "db/vfp/table/FileLocks.h"
#include "support/ForeignLock.h"

#include <optional>

namespace transfertest {
namespace {

class SendToFoxProTest : public TransferTest {
protected:
    void sendSelected(const std::vector<std::string>& names, const std::vector<std::string>& selected,
                      const std::string& current)
    {
        fill(m_list2, names, selected, current);
        commands::sendToFoxPro(m_window);
    }
};

TEST_F(SendToFoxProTest, ColumnsBecomeFloatBlobOrMemoByTypeAndEmptyValuesNull)
{
    // Declared so the stand-in reports adDouble, adLongVarBinary, adInteger, adVarChar, adLongVarChar,
    // adDBTimeStamp.
    ase("CREATE TABLE [Mixed] (d DOUBLE, b LONGVARBINARY, i INTEGER, v VARCHAR(20), t TEXT, ts DATETIME)");
    ase("INSERT INTO [Mixed] VALUES (2.5, X'00FF41', 12, 'O''Brien', 'a' || char(13) || char(10) || 'b', "
        "'2021-08-31 12:34:56')");
    ase("INSERT INTO [Mixed] VALUES (NULL, NULL, NULL, '', NULL, NULL)");
    sendSelected({"Mixed"}, {"Mixed"}, "Mixed");

    EXPECT_TRUE(errorReports().empty()) << errorReports().front();
    const auto fields = foxFields("Mixed");
    ASSERT_EQ(fields.size(), 6u);
    EXPECT_EQ(fields[0].type, db::ado::Double);        // FLOAT
    EXPECT_EQ(fields[1].type, db::ado::LongVarBinary); // BLOB
    for (size_t i = 2; i < 6; ++i)
        EXPECT_EQ(fields[i].type, db::ado::LongVarChar) << i; // memo
    const Rows rows = foxRows("Mixed");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], db::Value(2.5));
    EXPECT_EQ(rows[0][1], db::Value(db::Bytes{0x00, 0xFF, 0x41}));
    EXPECT_EQ(rows[0][2], db::Value("12"));
    EXPECT_EQ(rows[0][3], db::Value("O'Brien"));
    EXPECT_EQ(rows[0][4], db::Value("a\r\nb"));
    EXPECT_EQ(text(rows[0][5]).substr(0, 19), "2021-08-31 12:34:56");
    for (const auto& v : rows[1])
        EXPECT_TRUE(v.isNull()) << v.toText();                      // Null and the empty text both arrive as NULL
    EXPECT_EQ(entries(m_list1), std::vector<std::string>{"Mixed"}); // unchanged case
    EXPECT_EQ(m_progress.values, (std::vector<int>{50, 100, 0}));
    EXPECT_EQ(m_progress.text, "Progress Bar");
    EXPECT_EQ(m_pointers, (std::vector<int>{11, 0, 0}));
}

TEST_F(SendToFoxProTest, AnEmptyTableIsCreatedWithAllItsColumns)
{
    ase("CREATE TABLE [nothing] (a TEXT, b DOUBLE, c INTEGER)");
    sendSelected({"nothing"}, {"nothing"}, "nothing");
    EXPECT_TRUE(errorReports().empty());
    EXPECT_EQ(foxFields("nothing").size(), 3u);
    EXPECT_TRUE(foxRows("nothing").empty());
    EXPECT_EQ(entries(m_list1), std::vector<std::string>{"nothing"});
}

TEST_F(SendToFoxProTest, OverwriteYesDropsAndRecreatesNoLeavesEverythingUntouched)
{
    ase("CREATE TABLE [Orders] (n INTEGER)");
    ase("INSERT INTO [Orders] VALUES (5)");
    ase("CREATE TABLE [Parts] (n INTEGER)");
    ase("INSERT INTO [Parts] VALUES (6)");
    fox("CREATE TABLE \"orders\" (old C(5))");
    fox("CREATE TABLE \"parts\" (old C(5))");
    fox("INSERT INTO \"parts\" VALUES ('kept')");
    fill(m_list1, {"orders", "PARTS"}, {}, "");
    m_dialogs.answer(frame::AnswerNo);  // Parts, the bottom entry
    m_dialogs.answer(frame::AnswerYes); // Orders
    sendSelected({"Orders", "Parts"}, {"Orders", "Parts"}, "Parts");

    EXPECT_EQ(m_dialogs.messages(),
              (std::vector<std::string>{"Would you like to overwrite Parts?", "Would you like to overwrite Orders?"}));
    EXPECT_TRUE(errorReports().empty());
    EXPECT_EQ(foxRows("orders"), (Rows{{db::Value("5")}}));
    EXPECT_EQ(foxRows("parts"), (Rows{{db::Value("kept")}}));
    // "orders" was removed only in the spelling of the ASE list, so it stays beside "Orders".
    EXPECT_EQ(entries(m_list1), (std::vector<std::string>{"Orders", "PARTS", "orders"}));
    EXPECT_EQ(m_progress.values, (std::vector<int>{100, 0}));
}

TEST_F(SendToFoxProTest, WithoutACurrentEntryItAsksForOneAndOpensNothing)
{
    sendSelected({"t"}, {"t"}, "");
    EXPECT_EQ(m_dialogs.messages(), std::vector<std::string>{"Please select a table to send."});
    EXPECT_TRUE(m_pointers.empty());
    EXPECT_FALSE(std::filesystem::exists(m_serverFile));
}

TEST_F(SendToFoxProTest, ACurrentEntryWithNothingSelectedTouchesNothing)
{
    ase("CREATE TABLE [t] (n INTEGER)");
    sendSelected({"t"}, {}, "t");
    EXPECT_TRUE(m_dialogs.shown().empty());
    EXPECT_FALSE(foxHas("t"));
    EXPECT_EQ(m_pointers, (std::vector<int>{11, 0}));
}

TEST_F(SendToFoxProTest, AFailingCreateSendsNoRowsAndAddsNoEntry)
{
    ase("CREATE TABLE [nums] (d DOUBLE, t TEXT)");
    ase("INSERT INTO [nums] VALUES (1.5, 'one')");
    ase("CREATE TABLE [after] (n INTEGER)");
    ase("INSERT INTO [after] VALUES (5)");
    fox("CREATE TABLE \"nums\" (d I, t M)"); // made since the listing: no question; CREATE fails
    fox("INSERT INTO \"nums\" VALUES (7, 'own')");
    sendSelected({"after", "nums"}, {"after", "nums"}, "nums");
    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("in Corvalen2021/08/31.Form2.PushButton4_Click at line 198\r\r"), std::string::npos);
    EXPECT_TRUE(reports[0].ends_with("\r\rsql: CREATE TABLE \"nums\"(\"d\" FLOAT,\"t\" M)"));
    EXPECT_EQ(foxRows("nums"), (Rows{{db::Value(std::int64_t{7}), db::Value("own")}}));
    EXPECT_EQ(foxRows("after"), (Rows{{db::Value("5")}}));
    EXPECT_EQ(entries(m_list1), std::vector<std::string>{"after"});
    EXPECT_EQ(m_pointers.back(), 0);
}

TEST_F(SendToFoxProTest, OverwriteYesWithARefusedColumnNameKeepsTheTarget)
{
    ase("CREATE TABLE [cols] (\"x\"\"y\" TEXT, z TEXT)"); // column x"y
    ase("INSERT INTO [cols] VALUES ('1', '2')");
    fox("CREATE TABLE \"cols\" (old C(4))");
    fox("INSERT INTO \"cols\" VALUES ('k1')");
    fox("INSERT INTO \"cols\" VALUES ('k2')");
    fill(m_list1, {"cols"}, {}, "");
    m_dialogs.answer(frame::AnswerYes);
    sendSelected({"cols"}, {"cols"}, "cols");
    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].starts_with("The name x\"y holds the character \""));
    EXPECT_NE(reports[0].find("at line 152\r\r"), std::string::npos);
    EXPECT_EQ(foxRows("cols"), (Rows{{db::Value("k1")}, {db::Value("k2")}}));
    EXPECT_EQ(entries(m_list1), std::vector<std::string>{"cols"});
}

TEST_F(SendToFoxProTest, NamesHoldingADoubleQuoteOrClosingBracketAreRefused)
{
    ase("CREATE TABLE \"q\"\"name\" (a TEXT)");           // table q"name
    ase("CREATE TABLE \"b]name\" (a TEXT)");              // table b]name: its SELECT cannot be written
    ase("CREATE TABLE [cols] (\"x\"\"y\" TEXT, z TEXT)"); // column x"y
    ase("INSERT INTO [cols] VALUES ('1', '2')");
    sendSelected({"q\"name", "b]name", "cols"}, {"q\"name", "b]name", "cols"}, "cols");
    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 3u);
    // The list is sorted: q"name is the bottom entry and goes first.
    EXPECT_TRUE(reports[0].starts_with("The name q\"name holds the character \""));
    EXPECT_NE(reports[0].find("at line 146"), std::string::npos);
    EXPECT_TRUE(reports[1].starts_with("The name x\"y holds the character \""));
    EXPECT_NE(reports[1].find("at line 152"), std::string::npos);
    EXPECT_TRUE(reports[2].starts_with("The name b]name holds the character ]"));
    EXPECT_NE(reports[2].find("at line 144"), std::string::npos);
    EXPECT_FALSE(foxHas("cols"));
    EXPECT_EQ(m_list1.count(), 0);
    EXPECT_EQ(m_pointers.back(), 0);
}

} // namespace
} // namespace transfertest

namespace transfertest {
namespace {

// A server whose table shrinks between the count and the read: it counts three rows and delivers one.
class ShrinkingServer : public db::ProviderConnection {
public:
    void execute(const std::string&) override {}
    std::unique_ptr<db::Cursor> query(const std::string&) override
    {
        struct Shrinking : db::MemoryCursor {
            using MemoryCursor::MemoryCursor;
            long long recordCount() override { return 3; }
        };
        return std::make_unique<Shrinking>(std::vector<db::FieldInfo>{{"a", db::ado::VarChar}},
                                           std::vector<std::vector<db::Value>>{{db::Value("only")}});
    }
    std::unique_ptr<db::Cursor> tablesSchema() override { return nullptr; }
};

// A server whose rows fail to read where `unreadable` says (from 0), as a value the driver cannot hand over would.
class UnreadableRowServer : public db::ProviderConnection {
public:
    explicit UnreadableRowServer(std::vector<bool> unreadable) : m_unreadable(std::move(unreadable)) {}
    void execute(const std::string&) override {}
    std::unique_ptr<db::Cursor> query(const std::string&) override
    {
        struct Failing : db::Cursor {
            explicit Failing(std::vector<bool> bad) : unreadable(std::move(bad)) {}
            const std::vector<db::FieldInfo>& fields() const override { return columns; }
            long long recordCount() override { return static_cast<long long>(unreadable.size()); }
            bool next(std::vector<db::Value>& row) override
            {
                if (pos >= unreadable.size())
                    return false;
                const size_t n = pos++;
                if (unreadable[n])
                    throw std::runtime_error("row " + std::to_string(n + 1) + " cannot be read");
                row = {db::Value(std::string("a").append(std::to_string(n + 1))),
                       db::Value(std::string("b").append(std::to_string(n + 1)))};
                return true;
            }
            std::vector<db::FieldInfo> columns{{"a", db::ado::VarChar}, {"b", db::ado::VarChar}};
            std::vector<bool> unreadable;
            size_t pos = 0;
        };
        return std::make_unique<Failing>(m_unreadable);
    }
    std::unique_ptr<db::Cursor> tablesSchema() override { return nullptr; }

private:
    std::vector<bool> m_unreadable;
};

TEST_F(SendToFoxProTest, UnreadableRowsAreReportedOnceEachAndNeverSent)
{
    db::registerProvider("ASEOLEDB", [](const db::ConnectionString&, const db::OpenOptions&) {
        return std::make_unique<UnreadableRowServer>(std::vector<bool>{false, true, true, false});
    });
    sendSelected({"rows"}, {"rows"}, "rows");
    db::registerBuiltinProviders();

    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(reports[0].starts_with("row 2 cannot be read\r\n")) << reports[0];
    EXPECT_TRUE(reports[1].starts_with("row 3 cannot be read\r\n")) << reports[1];
    for (const auto& r : reports)
        EXPECT_NE(r.find("at line 242\r\r"), std::string::npos) << r;
    EXPECT_EQ(foxRows("rows"), (Rows{{db::Value("a1"), db::Value("b1")}, {db::Value("a4"), db::Value("b4")}}));
    EXPECT_EQ(m_progress.values, (std::vector<int>{25, 50, 75, 100, 0}));
}

// The first row failing: the table is not opened, not created, and the next table opens normally.
TEST_F(SendToFoxProTest, ATableThatCannotDeliverItsFirstRowLeavesTheNextToSendNormally)
{
    db::registerProvider("ASEOLEDB", [](const db::ConnectionString&, const db::OpenOptions&) {
        struct FirstFailsOnce : UnreadableRowServer {
            FirstFailsOnce() : UnreadableRowServer({true, false}) {}
            std::unique_ptr<db::Cursor> query(const std::string& sql) override
            {
                if (sql.find("[zeta]") != std::string::npos)
                    return UnreadableRowServer::query(sql);
                UnreadableRowServer good({false, false});
                return good.query(sql);
            }
        };
        return std::make_unique<FirstFailsOnce>();
    });
    sendSelected({"alpha", "zeta"}, {"alpha", "zeta"}, "alpha");
    db::registerBuiltinProviders();

    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].starts_with("row 1 cannot be read\r\n")) << reports[0];
    EXPECT_NE(reports[0].find("at line 144\r\r"), std::string::npos);
    EXPECT_FALSE(foxHas("zeta"));
    EXPECT_EQ(foxRows("alpha"), (Rows{{db::Value("a1"), db::Value("b1")}, {db::Value("a2"), db::Value("b2")}}));
    EXPECT_EQ(entries(m_list1), std::vector<std::string>{"alpha"});
}

TEST_F(SendToFoxProTest, RowsThatVanishAfterTheCountAreNotSentAsEmptyRows)
{
    db::registerProvider("ASEOLEDB", [](const db::ConnectionString&, const db::OpenOptions&) {
        return std::make_unique<ShrinkingServer>();
    });
    sendSelected({"shrunk"}, {"shrunk"}, "shrunk");
    db::registerBuiltinProviders();

    EXPECT_TRUE(errorReports().empty()) << errorReports().front();
    const Rows rows = foxRows("shrunk");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], db::Value("only"));
    EXPECT_EQ(m_pointers.back(), 0);
}

// The engine holds the rows of a send in groups (its clock stands still here, so only the row count, the table's end
// and a message box close one). A row the table refuses fails alone with its own report; every other row arrives,
// and when the report shows, the rows sent before it are already in the file for any reader.
TEST_F(SendToFoxProTest, ARefusedRowFailsAloneAndWhatTheBoxReportsIsOnDisk)
{
    const auto oldClock = db::setGroupClock([] { return std::chrono::steady_clock::time_point{}; });
    ase("CREATE TABLE [t] (n INTEGER, c TEXT)");
    for (int n = 1; n <= 10; ++n) // row 5 holds a character code page 1252 lacks
        ase("INSERT INTO [t] VALUES (" + std::to_string(n) + ", '" + (n == 5 ? "\xe4\xb8\xad" : "r") + "')");
    std::vector<std::string> seenAtBox;
    m_dialogs.onMessage = [&](const std::string&) {
        for (const auto& row : foxRows("t"))
            seenAtBox.push_back(text(row[0]));
    };
    sendSelected({"t"}, {"t"}, "t");
    db::setGroupClock(oldClock);

    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].starts_with("The value for column C contains the character")) << reports[0];
    EXPECT_NE(reports[0].find("at line 240\r\r"), std::string::npos) << reports[0];
    EXPECT_TRUE(reports[0].ends_with("\r\rsql: INSERT INTO \"t\" VALUES('5', '\xe4\xb8\xad')")) << reports[0];
    EXPECT_EQ(seenAtBox, (std::vector<std::string>{"1", "2", "3", "4"}));
    std::vector<std::string> arrived;
    for (const auto& row : foxRows("t"))
        arrived.push_back(text(row[0]));
    EXPECT_EQ(arrived, (std::vector<std::string>{"1", "2", "3", "4", "6", "7", "8", "9", "10"}));
}

// The rows of a group the engine could not write (another program held the table at the commit) run again one by
// one: the row that fails then is reported with its own statement and counted as failed, the others arrive.
TEST_F(SendToFoxProTest, ARowOfAGroupThatCouldNotBeWrittenIsReportedAndCountedAsFailed)
{
    const auto oldClock = db::setGroupClock([] { return std::chrono::steady_clock::time_point{}; });
    ase("CREATE TABLE [t] (n INTEGER)");
    for (int n = 1; n <= 3; ++n)
        ase("INSERT INTO [t] VALUES (" + std::to_string(n) + ")");
    // Once the first row is held, another program takes the table's header lock as Visual FoxPro takes it.
    struct LockingCount : RowCount {
        std::filesystem::path table;
        std::optional<testsupport::ForeignLock> held;
        void rowDone(bool reported) override
        {
            RowCount::rowDone(reported);
            if (!held)
                held.emplace(table, testsupport::kFoxProHeaderLock);
        }
    } count;
    count.table = m_foxFolder / "t.dbf";
    int waits = 0;
    const auto oldWait = db::vfp::setLockWait([&](int) {
        if (++waits == 3) { // the commit and the first row run again gave up; the second gets the table
            count.held->release();
            return true;
        }
        return false;
    });
    m_window.sendObserver = &count;
    sendSelected({"t"}, {"t"}, "t");
    db::vfp::setLockWait(oldWait);
    db::setGroupClock(oldClock);

    const auto reports = errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].starts_with(db::vfp::tableInUseMessage("t.dbf"))) << reports[0];
    EXPECT_TRUE(reports[0].ends_with("\r\rsql: INSERT INTO \"t\" VALUES('1')")) << reports[0];
    EXPECT_EQ(count.sent, 2);
    EXPECT_EQ(count.failed, 1);
    std::vector<std::string> arrived;
    for (const auto& row : foxRows("t"))
        arrived.push_back(text(row[0]));
    EXPECT_EQ(arrived, (std::vector<std::string>{"2", "3"}));
}

} // namespace
} // namespace transfertest
