#include "commands/FoxProConnection.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/vfp/VfpProvider.h"
#include "frame/TableList.h"
#include "support/ScriptedDialogs.h"
#include "support/TestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

frame::ConnectionFields foxFields(const std::string& dbc, const std::string& folder, bool useDbcFile)
{
    frame::ConnectionFields f;
    f.dbcFile = dbc;
    f.freeTableFolder = folder;
    f.useDbcFile = useDbcFile;
    return f;
}

class RecordingList : public frame::TableList {
public:
    void clear() override
    {
        events.push_back("clear");
        TableList::clear();
    }
    void add(const std::string& name) override
    {
        events.push_back("add " + name);
        TableList::add(name);
    }
    std::vector<std::string> events;
};

} // namespace

TEST(FoxProConnectionString, FollowsTheOptionByteForByte)
{
    EXPECT_EQ(commands::foxProConnectionString(foxFields("C:\\data\\shop.dbc", "C:\\free", true)),
              "Provider=vfpoledb.1;Data Source=C:\\data\\shop.dbc;Collating Sequence=machine;");
    EXPECT_EQ(commands::foxProConnectionString(foxFields("C:\\data\\shop.dbc", "C:\\free", false)),
              "Provider=vfpoledb.1;Data Source=C:\\free;Collating Sequence=general;");
    // Fields go in as they stand; a path that would break the string is quoted, so it reads back whole.
    EXPECT_EQ(commands::foxProConnectionString(foxFields("", "", true)),
              "Provider=vfpoledb.1;Data Source=;Collating Sequence=machine;");
    EXPECT_EQ(commands::foxProConnectionString(foxFields("", "/home/user/My Data=1", false)),
              "Provider=vfpoledb.1;Data Source=/home/user/My Data=1;Collating Sequence=general;");
    EXPECT_EQ(commands::foxProConnectionString(foxFields("", " a;b=c ", false)),
              "Provider=vfpoledb.1;Data Source=\" a;b=c \";Collating Sequence=general;");
    EXPECT_EQ(commands::foxProConnectionString(foxFields("C:\\it's \"x\".dbc", "", true)),
              "Provider=vfpoledb.1;Data Source=\"C:\\it's \"\"x\"\".dbc\";Collating Sequence=machine;");
    for (const char* path : {" a;b=c ", "C:\\it's \"x\".dbc", "{x}", "'"}) {
        const auto cs = db::ConnectionString::parse(commands::foxProConnectionString(foxFields(path, path, true)));
        EXPECT_EQ(cs.get("Data Source"), path);
        EXPECT_EQ(cs.get("Collating Sequence"), "machine");
    }
}

TEST(CanConnectFoxPro, AFolderWithSeparatorsInItsNameOpens)
{
    db::vfp::registerVfpProvider();
    testsupport::TempDir dir;
    const auto folder = dir.path() / "a;b=c 'd' ";
    std::filesystem::create_directory(folder);
    EXPECT_TRUE(commands::canConnectFoxPro(foxFields("", folder.string(), false)));
}

TEST(CanConnectFoxPro, TrueOnlyForASourceThatOpens)
{
    db::vfp::registerVfpProvider();
    testsupport::TempDir dir;
    EXPECT_TRUE(commands::canConnectFoxPro(foxFields("", dir.str(), false)));
    EXPECT_FALSE(commands::canConnectFoxPro(foxFields("", (dir.path() / "missing").string(), false)));
    EXPECT_FALSE(commands::canConnectFoxPro(foxFields((dir.path() / "missing.dbc").string(), dir.str(), true)));
    EXPECT_FALSE(commands::canConnectFoxPro(foxFields("", "", false)));
}

// Each run shows exactly one message and puts the hourglass up before it and takes it down after it.
TEST(FoxProTestConnection, OneMessageUnderTheHourglass)
{
    db::vfp::registerVfpProvider();
    testsupport::TempDir dir;
    struct Case {
        frame::ConnectionFields fields;
        const char* message;
    };
    for (const Case& c : {Case{foxFields("", dir.str(), false), "Connection successful."},
                          Case{foxFields("", (dir.path() / "missing").string(), false), "Could not connect."},
                          Case{foxFields((dir.path() / "x.dbc").string(), dir.str(), true), "Could not connect."}}) {
        testsupport::ScriptedDialogs dialogs;
        std::vector<std::string> log;
        commands::testFoxProConnection(c.fields, [&](frame::PointerState pointer) {
            log.push_back("pointer " + std::to_string(static_cast<int>(pointer)) + " after " +
                          std::to_string(dialogs.messages().size()) + " messages");
        });
        ASSERT_EQ(dialogs.shown().size(), 1u);
        EXPECT_EQ(dialogs.shown()[0].text, c.message);
        EXPECT_EQ(dialogs.shown()[0].style, 0);
        EXPECT_EQ(dialogs.shown()[0].title, "");
        EXPECT_EQ(log, (std::vector<std::string>{"pointer 11 after 0 messages", "pointer 0 after 1 messages"}));
    }
}

TEST(ListFoxProTables, FillsTheListAndYieldsPerTable)
{
    db::vfp::registerVfpProvider();
    testsupport::TempDir dir;
    std::string cs = commands::foxProConnectionString(foxFields("", dir.str(), false));
    {
        db::Connection c;
        c.Open(cs);
        c.Execute("CREATE TABLE \"expense reports\" (a I)");
        c.Execute("CREATE TABLE sysusers (a I)");
    }
    RecordingList list;
    int yields = 0;
    commands::listFoxProTables(list, cs, [&] { ++yields; });
    EXPECT_EQ(list.events, (std::vector<std::string>{"clear", "add expense reports", "add sysusers"}));
    EXPECT_EQ(yields, 2);

    // A source that does not open leaves the list alone and reaches the caller.
    RecordingList untouched;
    EXPECT_THROW(
        commands::listFoxProTables(
            untouched, commands::foxProConnectionString(foxFields("", (dir.path() / "gone").string(), false)), {}),
        std::runtime_error);
    EXPECT_TRUE(untouched.events.empty());
}
