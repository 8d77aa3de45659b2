#include "int_mult.h"

#include <gtest/gtest.h>

#include <random>

#include "general/int_mult.h"
#include "test_support.h"

namespace kestrum::aserv {
namespace {

using support::BinaryCase;
using support::fails;
using support::ok;
using support::run;

class IntMultTest : public testing::TestWithParam<BinaryCase> {};

TEST_P(IntMultTest, GivesTheDocumentedResult) {
    support::expectOutcome(intMult, general::intMult, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Products, IntMultTest,
    testing::Values(BinaryCase{u"12", u"34", ok(u"408")}, BinaryCase{u"123", u"45", ok(u"5535")},
                    BinaryCase{u"45", u"123", ok(u"5535")}, BinaryCase{u"99", u"99", ok(u"9801")},
                    BinaryCase{u"999", u"999", ok(u"998001")}, BinaryCase{u"10", u"10", ok(u"100")},
                    BinaryCase{u"1000", u"1000", ok(u"1000000")},
                    BinaryCase{u"101", u"909", ok(u"91809")},
                    BinaryCase{u"123456789", u"987654321", ok(u"121932631112635269")},
                    BinaryCase{u"99999999999999999999", u"99999999999999999999",
                               ok(u"9999999999999999999800000000000000000001")},
                    BinaryCase{u"007", u"3", ok(u"21")}, BinaryCase{u"3", u"007", ok(u"21")},
                    BinaryCase{u"05", u"02", ok(u"10")}, BinaryCase{u"5", u"0002", ok(u"10")},
                    BinaryCase{u"1 2", u"3", ok(u"36")}));

INSTANTIATE_TEST_SUITE_P(
    Signs, IntMultTest,
    testing::Values(BinaryCase{u"-12", u"34", ok(u"-408")}, BinaryCase{u"12", u"-34", ok(u"-408")},
                    BinaryCase{u"-12", u"-34", ok(u"408")}, BinaryCase{u"+5", u"3", ok(u"15")},
                    BinaryCase{u"3", u"+5", ok(u"15")}, BinaryCase{u"-+5", u"3", ok(u"15")},
                    BinaryCase{u"- 2", u"-+ 3", ok(u"-6")}));

// A zero product carries "-" when exactly one operand has a "-"; an empty magnitude is zero.
INSTANTIATE_TEST_SUITE_P(
    ZeroProducts, IntMultTest,
    testing::Values(BinaryCase{u"0", u"5", ok(u"0")}, BinaryCase{u"5", u"0", ok(u"0")},
                    BinaryCase{u"-5", u"0", ok(u"-0")}, BinaryCase{u"0", u"-5", ok(u"-0")},
                    BinaryCase{u"-0", u"5", ok(u"-0")}, BinaryCase{u"-5", u"-0", ok(u"0")},
                    BinaryCase{u"00", u"-000", ok(u"-0")}, BinaryCase{u"5", u"", ok(u"0")},
                    BinaryCase{u"", u"5", ok(u"0")}, BinaryCase{u"5", u"-", ok(u"-0")},
                    BinaryCase{u"-", u"-", ok(u"0")}, BinaryCase{u"", u"", ok(u"0")}));

INSTANTIATE_TEST_SUITE_P(NonDigits, IntMultTest,
                         testing::Values(BinaryCase{u"a", u"2", fails(kNonDigitInAddition)},
                                         BinaryCase{u"2", u"a", fails(kNonDigitInAddition)},
                                         BinaryCase{u"1a", u"2", fails(kNonDigitInAddition)},
                                         BinaryCase{u"12", u"3b", fails(kNonDigitInAddition)},
                                         BinaryCase{u"5", u"0a", fails(kNonDigitInAddition)},
                                         BinaryCase{u"+-5", u"3", fails(kNonDigitInAddition)},
                                         BinaryCase{u"5", u"--2", fails(kNonDigitInAddition)},
                                         BinaryCase{u"1.5", u"2", fails(kNonDigitInAddition)},
                                         BinaryCase{u"12", u" \t", fails(kNonDigitInAddition)},
                                         BinaryCase{u"1\u0135", u"1", fails(kNonDigitInAddition)},
                                         BinaryCase{u"~", u"9", fails(kNonDigitInAddition)},
                                         BinaryCase{u"11111111111111111111x", u"2",
                                                    fails(kNonDigitInAddition)}));

TEST(IntMultAliasing, ResultMayBeAnOperand) {
    for (const auto mult : {intMult, general::intMult}) {
        Text s = u"12";
        mult(s, s, s);
        EXPECT_EQ(s, u"144");
        s = u"12";
        mult(s, u"-3", s);
        EXPECT_EQ(s, u"-36");
        s = u"12";
        mult(u"5", s, s);
        EXPECT_EQ(s, u"60");
        s = u"1a";
        EXPECT_THROW(mult(u"2", s, s), AServError);
        EXPECT_EQ(s, u"1a");
    }
}

// Each partial product, with its shifting zeros, and each running sum is an operand of an
// addition, so it may hold at most 32766 characters; the last sum is delivered whatever its
// length.
TEST(IntMultLimits, PartialProductsAndSumsOf32767CharactersFail) {
    for (const auto mult : {intMult, general::intMult}) {
        EXPECT_EQ(run(mult, Text(32767, u'1'), u"1"), fails(kOverflow));
        EXPECT_EQ(run(mult, u"1", Text(32766, u'1') + u" "), fails(kOverflow));
        // A row one digit longer than the multiplicand.
        EXPECT_EQ(run(mult, Text(32766, u'4'), u"2"), ok(Text(32766, u'8')));
        EXPECT_EQ(run(mult, Text(32766, u'9'), u"9"), fails(kOverflow));
        EXPECT_EQ(run(mult, Text(32766, u'5'), u"2"), fails(kOverflow));
        // A row shifted by one zero.
        EXPECT_EQ(run(mult, Text(32765, u'1'), u"10"), ok(Text(32765, u'1') + u"0"));
        EXPECT_EQ(run(mult, Text(32766, u'1'), u"10"), fails(kOverflow));
        // (10^n - 1) * 11 = 10 followed by n - 2 nines and 89: n + 2 digits.
        const Text product = u"10" + Text(32763, u'9') + u"89";
        EXPECT_EQ(run(mult, Text(32765, u'9'), u"11"), ok(product));
        EXPECT_EQ(run(mult, u"-" + Text(32765, u'9'), u"11"), ok(u"-" + product));
        // The same sum, taken up once more by the addition of a zero digit's empty row.
        EXPECT_EQ(run(mult, Text(32765, u'9'), u"011"), fails(kOverflow));
    }
}

TEST(IntMultProperties, AgreeWithReferenceArithmetic) {
    std::mt19937 rng(777);
    for (int i = 0; i < 250; ++i) {
        const bool small = i % 4 == 0;
        const auto x = support::randomInteger(rng, small ? 3 : 200, false);
        const auto y = support::randomInteger(rng, small ? 3 : 120, false);
        SCOPED_TRACE(support::narrow(x.text) + " and " + support::narrow(y.text));
        const std::string magnitude =
            support::multiplyMagnitudes(x.value.magnitude, y.value.magnitude);
        const Text product = support::wide((x.negative != y.negative ? "-" : "") + magnitude);
        ASSERT_EQ(run(intMult, x.text, y.text), ok(product));
        ASSERT_EQ(run(general::intMult, x.text, y.text), ok(product));
        ASSERT_EQ(run(intMult, y.text, x.text), ok(product));
    }
}

}  // namespace
}  // namespace kestrum::aserv
