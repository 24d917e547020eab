#include "TransferFixture.h"
#include "commands/Commands.h"

namespace transfertest {
namespace {

using RoundTripTest = TransferTest;

// FoxPro -> stand-in -> FoxPro: every value comes back with the same text; binary values as their hex text, so
// every byte survives.
TEST_F(RoundTripTest, KeepsEveryTextAndEveryByte)
{
    fox("CREATE TABLE \"trip\" (c C(12), v V(20), m M, w W, q Q(6), i I, n N(10,3), d D, t T, l L, y Y)");
    fox("INSERT INTO \"trip\" VALUES ('it''s', 'two''''quotes', 'line1\r\nline2\ttab \"dq\" ''sq'' Grüße € ½ Ærø', "
        "'0x000102fffe7f0d0a27', '0x27', -17, 3.142, '2021-08-31', '2021-08-31 13:14:15', 'True', -1.5)");
    fox("INSERT INTO \"trip\" VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
    std::string big(70000, 'x'); // a memo larger than one read piece of the server's driver
    for (size_t i = 0; i < big.size(); i += 7)
        big[i] = '\'';
    {
        std::string doubled;
        for (char ch : big) {
            doubled += ch;
            if (ch == '\'')
                doubled += ch;
        }
        fox("INSERT INTO \"trip\" VALUES ('', '', '" + doubled + "', '', '', 0, 0, NULL, NULL, 'False', 0)");
    }
    const Rows original = foxRows("trip");

    fill(m_list1, {"trip"}, {"trip"}, "trip");
    commands::sendToAse(m_window);
    fill(m_list2, {"trip"}, {"trip"}, "trip");
    m_dialogs.answer(frame::AnswerYes); // replace the FoxPro original with what came back
    commands::sendToFoxPro(m_window);

    EXPECT_TRUE(errorReports().empty()) << errorReports().front();
    const Rows back = foxRows("trip");
    ASSERT_EQ(back.size(), original.size());
    for (size_t r = 0; r < back.size(); ++r)
        for (size_t c = 0; c < back[r].size(); ++c) {
            const std::string expected = original[r][c].toText();
            // Empty text and Null travel alike: both come back as NULL.
            EXPECT_EQ(back[r][c].isNull(), expected.empty()) << r << "," << c;
            EXPECT_EQ(back[r][c].toText(), expected) << r << "," << c;
        }
    EXPECT_EQ(back[0][3], db::Value("0x000102fffe7f0d0a27"));
    EXPECT_EQ(back[2][2], db::Value(big));
}

} // namespace
} // namespace transfertest
