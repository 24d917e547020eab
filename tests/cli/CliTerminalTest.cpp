// The command line with a person at the terminal: its runner in-process, with the console's streams in memory.
#include "CliFixture.h"
#include "cli/Runner.h"

#include <gtest/gtest.h>
#include <sstream>

namespace clitest {

namespace {

size_t occurrences(const std::string& text, const std::string& piece)
{
    size_t count = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size()))
        ++count;
    return count;
}

TEST_F(CliTest, onATerminalTheQuestionIsAskedAndTheProgressLineWrittenOver)
{
    ase("CREATE TABLE [customers](note TEXT)");
    ase("INSERT INTO [customers] VALUES('mine')");
    std::istringstream in("maybe\nn\n"); // an answer that is neither is asked again
    std::ostringstream out, err;
    cli::Console console{in, out, err, true, true};
    EXPECT_EQ(cli::run(withSides({"send-to-ase", "customers", "orders"}), console), cli::kAllWell) << err.str();

    // Bottom of the list first, as the window's send goes.
    EXPECT_EQ(out.str(), "orders: 300 rows sent, 0 failed\n"
                         "customers: not sent, the existing table was kept\n"
                         "total: 1 table sent, 300 rows sent, 0 failed, 1 kept\n");
    const std::string shown = err.str();
    EXPECT_EQ(occurrences(shown, "Would you like to overwrite customers? [y/n] "), 2u) << shown;
    // One line, written over: each percentage once, no line ends, cleared before the question.
    EXPECT_EQ(occurrences(shown, "\r\033[KSending orders to ASE: 100%"), 1u) << shown;
    EXPECT_EQ(occurrences(shown, "Sending orders to ASE: "), 101u) << shown;
    EXPECT_NE(shown.find("100%\r\033[K\r\033[KSending customers to ASE: 0%\r\033[KWould you like"), std::string::npos)
        << shown;
    EXPECT_EQ(shown.find('\n'), std::string::npos) << shown;
    EXPECT_EQ(aseRows("customers"), Rows{{"mine"}});
    EXPECT_EQ(aseRows("orders").size(), 300u);
}

} // namespace

} // namespace clitest
