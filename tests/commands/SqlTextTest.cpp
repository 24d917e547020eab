// The text of values between the quotes of a statement.
#include "commands/SqlText.h"

#include <gtest/gtest.h>

namespace {

TEST(SqlText, AseQuotesAreDoubleQuotesUnlessABackslashPrecedesALineBreak)
{
    EXPECT_EQ(commands::doubleQuotes("'O'Brien''s'"), "''O''Brien''''s''");
    for (const char* plain : {"", "O'Brien", "C:\\temp\\", "a\\b\r\nc", "line\r\nline\n", "\\ \n", "''"})
        EXPECT_EQ(commands::aseQuotes(plain), commands::doubleQuotes(plain)) << plain;
    // The literal ends after the backslash; the line break begins the next literal, joined by +.
    EXPECT_EQ(commands::aseQuotes("C:\\temp\\\r\nnext"), "C:\\temp\\' + '\r\nnext");
    EXPECT_EQ(commands::aseQuotes("a\\\nb\\\rc"), "a\\' + '\nb\\' + '\rc");
    EXPECT_EQ(commands::aseQuotes("it's\\\n"), "it''s\\' + '\n");
    EXPECT_EQ(commands::aseQuotes("\\\\\n"), "\\\\' + '\n");
}

} // namespace
