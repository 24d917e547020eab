// Opening ASE connections through FreeTDS: refused ports fail fast, silent servers fail at the deadline, and the
// Test Connection command tells the user which it was, under the hourglass.
#include "OdbcTestSupport.h"
#include "commands/AseConnection.h"
#include "db/Connection.h"
#include "db/odbc/DriverString.h"
#include "db/odbc/OdbcConnect.h"
#include "support/ScriptedDialogs.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace db;
using namespace commands;
using namespace frame;
using Clock = std::chrono::steady_clock;

namespace {

// Records message boxes and pointer changes in one sequence, so their order can be checked.
class EventLog : public testsupport::ScriptedDialogs {
public:
    int messageBox(const std::string& text, int style, const std::string& title) override
    {
        events.push_back("message:" + text);
        return ScriptedDialogs::messageBox(text, style, title);
    }
    SetPointerFn pointer()
    {
        return [this](PointerState p) { events.push_back("pointer:" + std::to_string(static_cast<int>(p))); };
    }
    std::vector<std::string> events;
};

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class AseConnectTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        odbctest::registerProvider();
        ::unsetenv(db::odbc::kDeadlineEnv);
    }
    void TearDown() override { ::unsetenv(db::odbc::kDeadlineEnv); }
};

} // namespace

TEST_F(AseConnectTest, RefusedPortFailsWithTheDriversMessageNotTheDeadline)
{
    ::setenv(db::odbc::kDeadlineEnv, "600", 1);
    auto fields = odbctest::loopbackFields(odbctest::refusedPort());
    try {
        Connection().Open(aseConnectionString(fields));
        FAIL() << "connected to a port where nothing listens";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Unable to connect"), std::string::npos) << e.what();
        EXPECT_EQ(std::string(e.what()).find("did not answer"), std::string::npos) << e.what();
    }

    EventLog log;
    EXPECT_FALSE(canConnectAse(fields));
    EXPECT_TRUE(log.events.empty()); // the check answers silently
    testAseConnection(fields, log.pointer());
    EXPECT_EQ(log.events, (std::vector<std::string>{"pointer:11", "message:Could not connect.", "pointer:0"}));
    EXPECT_EQ(log.shown().at(0).style, frame::OkOnly);
    EXPECT_EQ(log.shown().at(0).title, ""); // the application title
}

// A connect whose deadline passes the moment it starts waiting, as if the server stayed silent for ever.
class DeadlinePassesAtOnce {
public:
    DeadlinePassesAtOnce()
    {
        m_old = db::odbc::setDeadlineWait([this](std::unique_lock<std::mutex>&, std::condition_variable&,
                                                 std::chrono::milliseconds deadline, const std::function<bool()>&) {
            deadlines.push_back(deadline.count());
            return false;
        });
    }
    ~DeadlinePassesAtOnce() { db::odbc::setDeadlineWait(m_old); }
    std::vector<long long> deadlines;

private:
    db::odbc::DeadlineWait m_old;
};

TEST_F(AseConnectTest, SilentServerFailsAtTheDeadlineInsteadOfHanging)
{
    odbctest::SilentListener listener;
    ::setenv(db::odbc::kDeadlineEnv, "2", 1);
    auto fields = odbctest::loopbackFields(listener.port());
    DeadlinePassesAtOnce clock;

    EXPECT_FALSE(canConnectAse(fields));
    EventLog log;
    testAseConnection(fields, log.pointer());
    EXPECT_EQ(log.events, (std::vector<std::string>{"pointer:11", "message:Could not connect.", "pointer:0"}));
    EXPECT_EQ(clock.deadlines, (std::vector<long long>{2000, 2000}));
}

TEST_F(AseConnectTest, DeadlineFromTheSettingsNamesTheServer)
{
    odbctest::SilentListener listener;
    // The deadline is a setting of its own (ConnectDeadline), which the program adds to the connection string.
    auto fields = odbctest::loopbackFields(listener.port());
    fields.connectDeadline.push_back('1');
    DeadlinePassesAtOnce clock;
    try {
        Connection().Open(aseConnectionString(fields));
        FAIL() << "a silent server counted as connected";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("127.0.0.1:" + std::to_string(listener.port())), std::string::npos)
            << e.what();
        EXPECT_NE(std::string(e.what()).find("did not answer within 1.0 seconds"), std::string::npos) << e.what();
    }
    EXPECT_EQ(clock.deadlines, (std::vector<long long>{1000}));
}

TEST_F(AseConnectTest, ADeadlineTypedAfterTheDatabaseNameIsPartOfTheNameNow)
{
    odbctest::SilentListener listener;
    ::setenv(db::odbc::kDeadlineEnv, "3", 1);
    auto fields = odbctest::loopbackFields(listener.port(), "pubs2;Connect Deadline=1");
    DeadlinePassesAtOnce clock;
    EXPECT_FALSE(canConnectAse(fields));
    EXPECT_EQ(clock.deadlines, (std::vector<long long>{3000})); // the environment's, not the typed one
}

// The real wait, once: it gives up on a silent server no sooner than the deadline (and does give up).
TEST_F(AseConnectTest, RealClockGivesUpOnASilentServer)
{
    odbctest::SilentListener listener;
    ::setenv(db::odbc::kDeadlineEnv, "1", 1);
    auto start = Clock::now();
    EXPECT_FALSE(canConnectAse(odbctest::loopbackFields(listener.port())));
    EXPECT_GE(secondsSince(start), 0.9);
}

TEST_F(AseConnectTest, TestConnectionThroughTheStandInSucceeds)
{
    testsupport::TempDir dir;
    EventLog log;
    testAseConnection(odbctest::standInFields((dir.path() / "ok.db").string()), log.pointer());
    EXPECT_EQ(log.events, (std::vector<std::string>{"pointer:11", "message:Connection successful.", "pointer:0"}));
    EXPECT_TRUE(canConnectAse(odbctest::standInFields((dir.path() / "ok.db").string())));
    EXPECT_FALSE(canConnectAse(odbctest::standInFields((dir.path() / "no" / "ok.db").string())));
    EXPECT_EQ(log.events.size(), 3u);
}
