// Start-up against an ASE server (our TDS test server) that accepts the login and then stops answering: the
// program still shows a window, and says once why the listing ended. The query timeout is set to one second; what
// is asserted is that start-up ends with the report, not how fast.
#include "TdsServer.h"
#include "UiFixture.h"
#include "ui/Form2.h"

#include <QListWidget>

namespace {

using StallingServer = UiTest;

TEST_F(StallingServer, StartUpShowsAWindowAndOneReportWhenTheServerStopsAnswering)
{
    tds::ServerConfig config;
    config.stallAfterLogin = true;
    tds::Server server(config);
    store("ASEServer", "127.0.0.1");
    store("ASEPort", QString::number(server.port()));
    store("ASEUser", "u");
    store("ASEPassword", "p");
    store("ASEDatabase", "db");
    store("FreeTableFolder", QString::fromStdString(foxProFolder("customers", 2).string()));
    store("FoxproOption", "2");
    store("QueryTimeout", "1");

    ui::Form1& form1 = startForm1();
    // The silent checks connected, so start-up went on to the tables window, whose ASE listing then waited for
    // an answer that never came.
    ASSERT_TRUE(form1.hasTablesWindow());
    ui::Form2& form2 = form1.tablesWindow();
    EXPECT_TRUE(form2.isVisible());
    EXPECT_EQ(entries(form2.list1()), std::vector<std::string>{"customers"});
    EXPECT_EQ(form2.list2().count(), 0);
    const auto messages = m_dialogs.messages();
    ASSERT_EQ(messages.size(), 1u);
    const std::string where = "127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(messages[0].rfind("The server " + where + " did not answer within 1 second.", 0), 0u) << messages[0];
    EXPECT_GE(server.sessionsStarted(), 2); // the check and the listing each logged in
}

} // namespace
