#include "int_comp.h"

#include <gtest/gtest.h>

#include "text/aserv_error.h"

namespace kestrum::aserv {
namespace {

struct CompCase {
    Text a1;
    Text a2;
    int expected;
};

class IntCompTest : public testing::TestWithParam<CompCase> {};

TEST_P(IntCompTest, OrdersTexts) {
    const auto& c = GetParam();
    std::int16_t result = 99;
    intComp(c.a1, c.a2, result);
    EXPECT_EQ(result, c.expected) << "a1=" << testing::PrintToString(c.a1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IntCompTest,
    testing::Values(CompCase{u"12", u"12", 0}, CompCase{u" 1 2 ", u"12", 0},
                    CompCase{u"007", u"7", 0}, CompCase{u"0", u"00", 0}, CompCase{u"5", u"12", -1},
                    CompCase{u"10", u"9", 1}, CompCase{u"-5", u"3", -1}, CompCase{u"3", u"-5", 1},
                    CompCase{u"-5", u"-3", -1}, CompCase{u"-3", u"-5", 1},
                    CompCase{u"-0", u"0", -1}, CompCase{u"0", u"-0", 1}, CompCase{u"-0", u"-00", 0},
                    CompCase{u"-0", u"-5", 1}, CompCase{u"", u"0", 0}, CompCase{u"-", u"0", 0},
                    CompCase{u"0", u"+", 0}, CompCase{u" ", u"", 0}, CompCase{u"", u"-5", 1},
                    CompCase{u"+7", u"5", 1}, CompCase{u"+5", u"5", 0}, CompCase{u"-+5", u"5", 0},
                    CompCase{u"+-5", u"3", -1}, CompCase{u"+", u"5", -1}, CompCase{u"1a", u"19", 1},
                    CompCase{u"12", u"1.5", -1}, CompCase{u".", u"0", -1},
                    CompCase{u"1\u00E9", u"19", 1}, CompCase{u"--5", u"-3", 1},
                    CompCase{u"99999999999999999999", u"100000000000000000000", -1}));

TEST(IntCompLimits, EqualLongTextsTakeTheShortcut) {
    const Text huge(40000, u'9');
    std::int16_t result = 5;
    intComp(huge, huge, result);
    EXPECT_EQ(result, 0);
}

TEST(IntCompLimits, DifferentLongTextRaisesOverflowAndLeavesResult) {
    std::int16_t result = 5;
    try {
        intComp(Text(32767, u'9'), u"1", result);
        FAIL() << "no error";
    } catch (const AServError& error) {
        EXPECT_EQ(error.number(), kOverflow);
    }
    EXPECT_EQ(result, 5);
    intComp(Text(32766, u'9'), Text(32765, u'9'), result);
    EXPECT_EQ(result, 1);
}

}  // namespace
}  // namespace kestrum::aserv
