// corvalen-cli run as a program: what it prints, what it changes on both sides, and its exit status.
#include "CliFixture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace clitest {

namespace {

// Whether `text` holds `piece`, showing the whole text when it does not.
::testing::AssertionResult holds(const std::string& text, const std::string& piece)
{
    if (text.find(piece) != std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << piece << "\" is not in:\n" << text;
}

TEST_F(CliTest, listsBothSidesAsTheTablesWindowDoes)
{
    ase("CREATE TABLE [Zeta](a TEXT)");
    ase("CREATE TABLE [alpha](a TEXT)");
    ase("CREATE TABLE [mysysnotes](a TEXT)"); // the window leaves out names holding "sys"
    const auto run = cli({"--samples", "--set", "ASEServer=" + m_fields.aseServer, "list"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "foxpro: customers\nfoxpro: orders\nfoxpro: products\nase: alpha\nase: Zeta\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(CliTest, aListingThatFailsIsReportedAndTheOtherSideStillListed)
{
    const auto run = cli({"--set", "ASEServer=" + m_fields.aseServer, "--set", "FoxproOption=1", "--set",
                          "DBCFile=" + (m_dir.path() / "missing.dbc").string(), "list"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(holds(run.err, "corvalen-cli: Application Error\n"));
    EXPECT_TRUE(holds(run.err, "\nin Corvalen2021/08/31.Form2.Form_Load at line 120\n\nPlease email"));
}

TEST_F(CliTest, sendsToAseKeepingExistingTablesThenBackToFoxProReplacingOne)
{
    ase("CREATE TABLE [orders](note TEXT)");
    ase("INSERT INTO [orders] VALUES('kept')");
    auto run = cli(withSides({"send-to-ase", "--all", "--overwrite", "no"}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "products: 60 rows sent, 0 failed\n"
                       "orders: not sent, the existing table was kept\n"
                       "customers: 120 rows sent, 0 failed\n"
                       "total: 2 tables sent, 180 rows sent, 0 failed, 1 kept\n");
    // Off a terminal, one progress line a table and nothing else.
    EXPECT_EQ(run.err, "Sending products to ASE\nSending orders to ASE\nSending customers to ASE\n");
    EXPECT_EQ(aseRows("customers"), foxRows("customers"));
    EXPECT_EQ(aseRows("products"), foxRows("products"));
    EXPECT_EQ(aseRows("orders"), Rows{{"kept"}});

    ase("CREATE TABLE [t](name TEXT, amount REAL)");
    ase("INSERT INTO [t] VALUES('O''Brien', 1.5)");
    ase("INSERT INTO [t] VALUES(NULL, 2)");
    fox("CREATE TABLE \"t\" (old C(5))");
    fox("INSERT INTO \"t\" VALUES ('stale')");
    run = cli(withSides({"send-to-foxpro", "t", "--overwrite", "yes"}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "t: 2 rows sent, 0 failed\ntotal: 1 table sent, 2 rows sent, 0 failed\n");
    EXPECT_EQ(foxRows("t"), (Rows{{"O'Brien", "1.5"}, {"<null>", "2"}}));
    if (!dbfreadInstalled())
        GTEST_SKIP() << "python3-dbfread is not installed";
    // dbfread shows the null flags as a column of their own (bit 0: NAME is null).
    EXPECT_EQ(dbfread(m_foxFolder / "t.dbf"), "O'Brien\t1.5\tb'\\x00'\n<null>\t2.0\tb'\\x01'\n");
}

TEST_F(CliTest, aRowThatFailsIsReportedOnStandardErrorAndTheRunEndsWithOne)
{
    pointMemoPastEnd("products", 2); // the record cannot be read; the rows around it go through
    const auto run = cli(withSides({"send-to-ase", "products"}));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "products: 59 rows sent, 1 failed\ntotal: 1 table sent, 59 rows sent, 1 failed\n");
    // The box's words, with the console's line breaks.
    EXPECT_TRUE(holds(run.err, "Sending products to ASE\ncorvalen-cli: Application Error\n"));
    EXPECT_TRUE(holds(run.err, "\nin Corvalen2021/08/31.Form2.PushButton3_Click at line 240\n\n"
                               "Please email screenshot of this message to support@example.com\n\n"
                               "sql: INSERT INTO [products] VALUES('1', "));
    EXPECT_FALSE(holds(run.err, "\r"));
    Rows expected = sampleRows("products");
    expected.erase(expected.begin() + 1);
    EXPECT_EQ(aseRows("products"), expected);
}

TEST_F(CliTest, withoutATerminalToAskAnExistingTargetStopsTheRunBeforeAnythingIsTouched)
{
    ase("CREATE TABLE [customers](note TEXT)");
    ase("INSERT INTO [customers] VALUES('mine')");
    const auto before = testsupport::readFile(m_serverFile);
    const auto run = cli(withSides({"send-to-ase", "--all"}));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(holds(run.err, "the ASE side already has a table customers"));
    EXPECT_TRUE(holds(run.err, "--overwrite yes or --overwrite no"));
    EXPECT_EQ(testsupport::readFile(m_serverFile), before);
    EXPECT_FALSE(aseHas("orders"));
    EXPECT_EQ(aseRows("customers"), Rows{{"mine"}});
}

TEST_F(CliTest, setOverridesASettingForOneRunAndNeverSavesIt)
{
    const auto store = m_config / "Haddlemere" / "Haddlemere.ini";
    std::filesystem::create_directories(store.parent_path());
    const auto other = m_dir.path() / "other.db";
    testsupport::writeFile(store, "[Corvalen]\nASEServer=sqlite:" + m_serverFile.string() +
                                      "\nFoxproOption=2\nFreeTableFolder=" + m_foxFolder.string() + "\n");
    const auto stored = testsupport::readFile(store);
    ase("CREATE TABLE [stored](a TEXT)");
    m_fields.aseServer = "sqlite:" + other.string();
    ase("CREATE TABLE [overridden](a TEXT)");

    auto run = cli({"--set", "ASEServer=sqlite:" + other.string(), "list"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(holds(run.out, "foxpro: customers\n"));
    EXPECT_TRUE(holds(run.out, "ase: overridden\n"));
    EXPECT_FALSE(holds(run.out, "ase: stored"));
    EXPECT_EQ(testsupport::readFile(store), stored);

    run = cli({"list"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(holds(run.out, "ase: stored\n"));

    // --settings reads another file in the same format instead of the store.
    const auto file = m_dir.path() / "run.ini";
    testsupport::writeFile(file, "[Corvalen]\nASEServer=sqlite:" + other.string() + "\n");
    run = cli({"--settings", file.string(), "--set", "FoxproOption=2", "--set",
               "FreeTableFolder=" + m_foxFolder.string(), "list"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(holds(run.out, "ase: overridden\n"));
    EXPECT_EQ(testsupport::readFile(store), stored);
}

TEST_F(CliTest, usageErrorsAndUnreadableSettingsEndWithTwoAndSayWhat)
{
    ase("CREATE TABLE [keep](a TEXT)");
    const auto server = testsupport::readFile(m_serverFile);
    const auto unreadable = m_dir.path() / "folder.ini";
    std::filesystem::create_directories(unreadable);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{}, "no command"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"list", "--verbose"}, "unknown option '--verbose'"},
        {{"send-to-ase"}, "name the tables, or give --all"},
        {{"send-to-ase", "--all", "customers"}, "either --all or table names"},
        {{"list", "customers"}, "take no tables"},
        {{"delete-ase", "--all", "--overwrite", "yes"}, "--overwrite goes with"},
        {{"send-to-ase", "--all", "--overwrite", "maybe"}, "ask, yes or no, not 'maybe'"},
        {{"--set", "Colour=red", "list"}, "no setting 'Colour'"},
        {{"--set", "ASEServer", "list"}, "KEY=VALUE"},
        {{"list", "--settings"}, "--settings needs a value"},
        {{"--settings", (m_dir.path() / "missing.ini").string(), "list"}, "missing.ini"},
        {{"--settings", unreadable.string(), "list"}, "folder.ini: it is not a file"},
        {withSides({"send-to-ase", "nosuch", "--overwrite", "no"}), "the FoxPro side has no table nosuch"},
    };
    for (const auto& [args, says] : cases) {
        const auto run = cli(args);
        EXPECT_EQ(run.exitCode, 2) << says;
        EXPECT_EQ(run.out, "") << says;
        EXPECT_TRUE(holds(run.err, says));
    }
    EXPECT_EQ(testsupport::readFile(m_serverFile), server) << "a usage error changed the server";
    EXPECT_EQ(foxRows("customers"), sampleRows("customers"));
    EXPECT_EQ(cli({"--help"}).exitCode, 0);
}

TEST_F(CliTest, deletesTheNamedTablesOnEitherSide)
{
    ase("CREATE TABLE [old](a TEXT)");
    ase("CREATE TABLE [keep](a TEXT)");
    auto run = cli(withSides({"delete-ase", "OLD"}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "old: deleted\ntotal: 1 deleted\n");
    EXPECT_FALSE(aseHas("old"));
    EXPECT_TRUE(aseHas("keep"));

    run = cli(withSides({"delete-foxpro", "orders", "products"}));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "orders: deleted\nproducts: deleted\ntotal: 2 deleted\n");
    EXPECT_FALSE(std::filesystem::exists(m_foxFolder / "orders.dbf"));
    EXPECT_TRUE(std::filesystem::exists(m_foxFolder / "customers.dbf"));
}

} // namespace

} // namespace clitest
