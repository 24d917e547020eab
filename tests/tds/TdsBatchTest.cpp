// Batches on the test server as ASE runs them, read through FreeTDS's ODBC driver result by result.
#include "TdsBatch.h"

#include "OdbcTestClient.h"
#include "TdsServer.h"

#include <algorithm>
#include <gtest/gtest.h>

using tdstest::Cell;
using tdstest::OdbcClient;

namespace {

constexpr SQLSMALLINT DiagLine = -1154; // the server message's line, as FreeTDS exposes it (SQL Server's number)

// One result of a batch as the driver hands it over: its return code, the server's first message number and the
// batch line it names.
struct Result {
    SQLRETURN rc = SQL_SUCCESS;
    long native = 0;
    int line = 0;
    std::string message;
    SQLLEN rows = -1;
};

std::vector<Result> results(OdbcClient& client, const std::string& sql)
{
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, client.connection(), &stmt);
    std::vector<Result> out;
    SQLRETURN rc = SQLExecDirect(stmt, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS);
    for (int guard = 0; rc != SQL_NO_DATA && guard < 1000; ++guard) {
        Result r{rc, 0, 0, {}, -1};
        if (rc != SQL_SUCCESS) {
            const auto diag = tdstest::diagnostic(SQL_HANDLE_STMT, stmt);
            r.native = diag.nativeError;
            r.message = diag.message;
            SQLUSMALLINT line = 0;
            if (SQL_SUCCEEDED(SQLGetDiagField(SQL_HANDLE_STMT, stmt, 1, DiagLine, &line, 0, nullptr)))
                r.line = line;
        }
        SQLRowCount(stmt, &r.rows); // after the diagnostics, which any call clears
        out.push_back(r);
        if (rc == SQL_INVALID_HANDLE)
            break;
        rc = SQLMoreResults(stmt);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return out;
}

class TdsBatch : public ::testing::Test {
protected:
    tds::Server server{[] {
        tds::ServerConfig config;
        config.keepStatementLog = true;
        return config;
    }()};
    OdbcClient client;

    void SetUp() override
    {
        const auto failure = client.connect(server.odbcConnectionString());
        ASSERT_FALSE(failure) << failure->message;
        ASSERT_FALSE(client.exec("CREATE TABLE [K]([a] INTEGER PRIMARY KEY, [b] TEXT NOT NULL)"));
    }
    std::string count(OdbcClient& c) { return c.query("SELECT COUNT(*) FROM [K]")[0][0].value_or("NULL"); }
};

TEST(TdsBatchSplit, NewlinesAndSemicolonsEndStatementsOutsideLiteralsAndInsertSelectStaysWhole)
{
    const auto parts = tds::splitBatch("INSERT INTO [T] VALUES('a\nINSERT INTO x')\n\n  insert into [T] values(2); "
                                       "DELETE FROM [T] -- drop\nINSERT INTO [T]\nSELECT * FROM [U]\nCOMMIT");
    ASSERT_EQ(parts.size(), 5u);
    EXPECT_EQ(parts[0].text, "INSERT INTO [T] VALUES('a\nINSERT INTO x')");
    EXPECT_EQ(parts[0].line, 1);
    EXPECT_EQ(parts[1].text, "insert into [T] values(2)");
    EXPECT_EQ(parts[1].line, 4);
    EXPECT_EQ(parts[2].text, "DELETE FROM [T] -- drop");
    EXPECT_EQ(parts[3].text, "INSERT INTO [T]\nSELECT * FROM [U]");
    EXPECT_EQ(parts[3].line, 5);
    EXPECT_EQ(parts[4].line, 7);
    EXPECT_EQ(tds::splitBatch("DELETE FROM [T] WHERE a IN (\nSELECT b FROM [U])\nSELECT 1").size(), 2u);
    EXPECT_EQ(tds::transactionCommand("begin tran"), tds::TransactionCommand::Begin);
    EXPECT_EQ(tds::transactionCommand("COMMIT TRANSACTION"), tds::TransactionCommand::Commit);
    EXPECT_EQ(tds::transactionCommand("rollback"), tds::TransactionCommand::Rollback);
    EXPECT_FALSE(tds::transactionCommand("begin"));
}

TEST_F(TdsBatch, AFailedStatementFailsAloneWithItsLineAndTheBatchGoesOn)
{
    const auto r = results(client, "INSERT INTO [K] VALUES(1, 'x')\nINSERT INTO [K] VALUES(1, 'dup')\n"
                                   "INSERT INTO [K] VALUES(2, NULL)\nINSERT INTO [K] VALUES(3, 'z')");
    // FreeTDS hands over one result per statement, also after a failed one, each with its own row count.
    ASSERT_EQ(r.size(), 4u);
    EXPECT_TRUE(SQL_SUCCEEDED(r[0].rc));
    EXPECT_EQ(r[0].rows, 1);
    EXPECT_EQ(r[3].rows, 1);
    EXPECT_EQ(r[1].rc, SQL_ERROR);
    EXPECT_EQ(r[1].native, 2601);
    EXPECT_EQ(r[1].line, 2);
    EXPECT_NE(r[1].message.find("Command has been aborted."), std::string::npos) << r[1].message;
    EXPECT_EQ(r[2].rc, SQL_ERROR);
    EXPECT_EQ(r[2].native, 233);
    EXPECT_EQ(r[2].line, 3);
    EXPECT_TRUE(SQL_SUCCEEDED(r[3].rc));
    EXPECT_EQ(client.query("SELECT [a], [b] FROM [K] ORDER BY [a]"),
              (tdstest::Rows{{Cell("1"), Cell("x")}, {Cell("3"), Cell("z")}}));
}

TEST_F(TdsBatch, ASyntaxErrorAnywhereStopsTheWholeBatchBeforeAnythingRuns)
{
    const auto r = results(client, "INSERT INTO [K] VALUES(1, 'x')\nINSERT INTO [K] VALUES(2, 'y'\n"
                                   "INSERT INTO [K] VALUES(3, 'z')");
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].native, 102);
    EXPECT_EQ(r[0].line, 2);
    EXPECT_EQ(count(client), "0");
    const auto log = server.database().statementLog();
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& s) { return s.rfind("INSERT", 0) == 0; }), 0);
}

TEST_F(TdsBatch, DroppingAMissingTableIsAses3701)
{
    const auto failure = client.exec("DROP TABLE [Nowhere]");
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->nativeError, 3701);
    EXPECT_NE(failure->message.find("Cannot drop the table 'Nowhere', because it doesn't exist"), std::string::npos);
}

TEST_F(TdsBatch, EachConnectionHasItsOwnTransaction)
{
    OdbcClient other;
    ASSERT_FALSE(other.connect(server.odbcConnectionString()));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLSetConnectAttr(client.connection(), SQL_ATTR_AUTOCOMMIT,
                                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0)));
    ASSERT_FALSE(client.exec("INSERT INTO [K] VALUES(1, 'x')"));
    EXPECT_EQ(count(client), "1");
    EXPECT_EQ(count(other), "0"); // not committed: the other connection does not see it
    ASSERT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, client.connection(), SQL_ROLLBACK)));
    EXPECT_EQ(count(client), "0");
    const auto ddl = client.exec("CREATE TABLE [L]([a] TEXT)"); // the driver keeps a transaction open
    ASSERT_TRUE(ddl);
    EXPECT_EQ(ddl->nativeError, 2762);
    ASSERT_FALSE(client.exec("INSERT INTO [K] VALUES(2, 'y')"));
    ASSERT_TRUE(SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, client.connection(), SQL_COMMIT)));
    EXPECT_EQ(count(other), "1");
    ASSERT_FALSE(other.exec("BEGIN TRANSACTION\nINSERT INTO [K] VALUES(3, 'z')\nROLLBACK TRANSACTION"));
    EXPECT_EQ(count(other), "1");
}

} // namespace
