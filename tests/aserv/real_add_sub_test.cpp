#include "real_add_sub.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "general/real_add_sub.h"
#include "test_support.h"

namespace kestrum::aserv {
namespace {

using support::BinaryCase;
using support::fails;
using support::ok;
using support::run;

// ---- Addition

class RealAddTest : public testing::TestWithParam<BinaryCase> {};

TEST_P(RealAddTest, GivesTheDocumentedResult) {
    support::expectOutcome(realAdd, general::realAdd, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    DigitsBeforeThePoint, RealAddTest,
    testing::Values(BinaryCase{u"1.5", u"2.25", ok(u"3.75")},
                    BinaryCase{u"5", u"1.25", ok(u"6.25")},
                    BinaryCase{u"3.14159", u"2.71828", ok(u"5.85987")},
                    BinaryCase{u"-1.5", u"0.25", ok(u"-1.25")},
                    BinaryCase{u"+.5", u"1", ok(u"1.5")}, BinaryCase{u"1 . 5", u"2", ok(u"3.5")},
                    // Trailing zeros of a fraction that is not all zero stay.
                    BinaryCase{u"1.50", u"1.20", ok(u"2.70")},
                    // A zero second operand hands the scaled first one back through a subtraction.
                    BinaryCase{u"-0.5", u"0", ok(u"-0.5")},
                    BinaryCase{u"-1.50", u"0", ok(u"-1.50")},
                    BinaryCase{u"-", u"0.5", ok(u"0.5")}));

// An all-zero fraction goes together with the point.
INSTANTIATE_TEST_SUITE_P(
    NoFractionLeft, RealAddTest,
    testing::Values(BinaryCase{u"99.99", u"0.01", ok(u"100")}, BinaryCase{u"1.5", u"1.5", ok(u"3")},
                    BinaryCase{u"5.", u"1", ok(u"6")}, BinaryCase{u"-1.5", u"-2.5", ok(u"-4")},
                    BinaryCase{u"1.5", u"-1.5", ok(u"0")}, BinaryCase{u"0.000", u"0.000", ok(u"0")},
                    BinaryCase{u"123456789012345678901234567890.5", u"0.5",
                               ok(u"123456789012345678901234567891")}));

// When the digits run out exactly at the point nothing stands before it; when they are fewer,
// a single "0" does.
INSTANTIATE_TEST_SUITE_P(
    PointFirstOrZeroBefore, RealAddTest,
    testing::Values(
        BinaryCase{u"0.05", u"0.05", ok(u".10")}, BinaryCase{u"0.1", u"0.2", ok(u".3")},
        BinaryCase{u"0.25", u"0.5", ok(u".75")}, BinaryCase{u"-.5", u"1", ok(u".5")},
        BinaryCase{u"1.5", u"-2.25", ok(u"-.75")}, BinaryCase{u"-0.25", u"-0.5", ok(u"-.75")},
        BinaryCase{u"-3.14159", u"2.71828", ok(u"-.42331")}, BinaryCase{u"0.5", u"0", ok(u".5")},
        BinaryCase{u"", u"0.5", ok(u".5")}, BinaryCase{u"0.01", u"0.02", ok(u"0.03")},
        BinaryCase{u"0.001", u"0.002", ok(u"0.003")}, BinaryCase{u"0.03", u"-0.08", ok(u"-0.05")},
        BinaryCase{u"0.001", u"-0.004", ok(u"-0.003")}));

INSTANTIATE_TEST_SUITE_P(
    WithoutAPoint, RealAddTest,
    testing::Values(BinaryCase{u"12", u"30", ok(u"42")}, BinaryCase{u"-12", u"30", ok(u"18")},
                    BinaryCase{u".", u"", ok(u"0")}, BinaryCase{u"1", u".", ok(u"1")},
                    BinaryCase{u"", u"-007", ok(u"-007")}, BinaryCase{u"-007", u"0", ok(u"-007")}));

INSTANTIATE_TEST_SUITE_P(Errors, RealAddTest,
                         testing::Values(BinaryCase{u"1.2.3", u"1", fails(kNonDigitInAddition)},
                                         BinaryCase{u"1a.5", u"1", fails(kNonDigitInAddition)},
                                         BinaryCase{u"1.5", u"-x", fails(kNonDigitInSubtraction)},
                                         BinaryCase{u"1.-5", u"1", fails(kNonDigitInAddition)}));

// ---- Subtraction

class RealSubTest : public testing::TestWithParam<BinaryCase> {};

TEST_P(RealSubTest, GivesTheDocumentedResult) {
    support::expectOutcome(realSub, general::realSub, GetParam());
}

INSTANTIATE_TEST_SUITE_P(DigitsBeforeThePoint, RealSubTest,
                         testing::Values(BinaryCase{u"5", u"0.25", ok(u"4.75")},
                                         BinaryCase{u"100", u"0.001", ok(u"99.999")},
                                         BinaryCase{u"1.75", u"0.25", ok(u"1.50")},
                                         BinaryCase{u"0.5", u"-0.7", ok(u"1.2")},
                                         BinaryCase{u"", u"1.5", ok(u"-1.5")},
                                         // A zero a2 hands the scaled a1 back as written.
                                         BinaryCase{u"0.50", u"0", ok(u"0.50")},
                                         BinaryCase{u"1.5", u"0.00", ok(u"1.50")},
                                         BinaryCase{u"0.5", u"", ok(u"0.5")}));

INSTANTIATE_TEST_SUITE_P(
    NoFractionLeft, RealSubTest,
    testing::Values(BinaryCase{u"1.5", u"1.5", ok(u"0")}, BinaryCase{u"2.25", u"0.25", ok(u"2")},
                    BinaryCase{u"10.5", u"0.5", ok(u"10")},
                    BinaryCase{u"12.345", u"2.345", ok(u"10")},
                    BinaryCase{u"0.100", u"0.1", ok(u"0")}, BinaryCase{u"5.", u"2.", ok(u"3")},
                    BinaryCase{u"-1.5", u"1.5", ok(u"-3")}, BinaryCase{u"-1.5", u"2.5", ok(u"-4")},
                    BinaryCase{u"1.5", u"-2.5", ok(u"4")},
                    BinaryCase{u"99.99", u"-0.01", ok(u"100")},
                    BinaryCase{u"-99.99", u"0.01", ok(u"-100")},
                    BinaryCase{u"007.5", u"0.5", ok(u"7")}, BinaryCase{u"1 2.5", u"0.5", ok(u"12")},
                    BinaryCase{u"", u"", ok(u"0")}, BinaryCase{u".", u".", ok(u"0")}));

INSTANTIATE_TEST_SUITE_P(
    PointFirstOrZeroBefore, RealSubTest,
    testing::Values(
        BinaryCase{u"3.14159", u"3", ok(u".14159")}, BinaryCase{u"0.7", u"0.5", ok(u".2")},
        BinaryCase{u"0.5", u"0.7", ok(u"-.2")}, BinaryCase{u"1.5", u"2.25", ok(u"-.75")},
        BinaryCase{u"1", u"0.5", ok(u".5")}, BinaryCase{u"0", u"0.5", ok(u"-.5")},
        BinaryCase{u".", u"0.5", ok(u"-.5")}, BinaryCase{u".5", u".2", ok(u".3")},
        BinaryCase{u"0.05", u"-0.07", ok(u".12")}, BinaryCase{u"-0.05", u"0.07", ok(u"-.12")},
        BinaryCase{u"-0.5", u"-0.7", ok(u".2")}, BinaryCase{u"-5", u"-5.25", ok(u".25")},
        BinaryCase{u"0.25", u"0.5", ok(u"-.25")}, BinaryCase{u"-.5", u"0", ok(u"-.5")},
        BinaryCase{u"0.25", u"0.2", ok(u"0.05")}, BinaryCase{u"0.5", u"0.45", ok(u"0.05")},
        BinaryCase{u"0.002", u"0.001", ok(u"0.001")}, BinaryCase{u"0.05", u"0.07", ok(u"-0.02")},
        BinaryCase{u"0.001", u"0.002", ok(u"-0.001")}, BinaryCase{u"0.005", u"0.01", ok(u"-0.005")},
        BinaryCase{u"-0.25", u"-0.2", ok(u"-0.05")}));

// A negative zero stays "-0", never a lone "-".
INSTANTIATE_TEST_SUITE_P(NegativeZero, RealSubTest,
                         testing::Values(BinaryCase{u"-0.0", u"0", ok(u"-0")},
                                         BinaryCase{u"-.0", u"0", ok(u"-0")},
                                         BinaryCase{u"-.00", u"0", ok(u"-0")},
                                         BinaryCase{u"- . 0", u"0", ok(u"-0")},
                                         BinaryCase{u"-0", u"0", ok(u"-0")}));

INSTANTIATE_TEST_SUITE_P(WithoutAPointAndErrors, RealSubTest,
                         testing::Values(BinaryCase{u"3", u"1", ok(u"2")},
                                         BinaryCase{u"007", u"0", ok(u"007")},
                                         BinaryCase{u"1.2.3", u"0", ok(u"1.2.3")},
                                         BinaryCase{u"1.2.3", u"1", fails(kNonDigitInSubtraction)},
                                         BinaryCase{u"1a.5", u"0.5", fails(kNonDigitInSubtraction)},
                                         BinaryCase{u"1a.5", u"-0.5", fails(kNonDigitInAddition)}));

// ---- Both operations

TEST(RealAddSubAliasing, ResultMayBeAnOperand) {
    for (const bool entry : {true, false}) {
        const auto add = entry ? realAdd : general::realAdd;
        const auto sub = entry ? realSub : general::realSub;
        Text s = u"1.5";
        add(s, u"2.25", s);
        EXPECT_EQ(s, u"3.75");
        add(u"0.25", s, s);
        EXPECT_EQ(s, u"4");
        sub(s, s, s);
        EXPECT_EQ(s, u"0");
        s = u"0.25";
        sub(u"5", s, s);
        EXPECT_EQ(s, u"4.75");
        s = u"1.2.3";
        EXPECT_THROW(add(s, u"1", s), AServError);
        EXPECT_EQ(s, u"1.2.3");
    }
}

// Alignment appends zeros to a fraction, so a scaled text can be longer than its operand.
TEST(RealAddSubLimits, ScaledTextsAndLongResults) {
    const Text integer = Text(32765, u'1') + u".";
    const Text nines = Text(32765, u'9') + u".";
    // 10^32766 - 10 + 99: 32767 digits before the point is put back.
    const Text longSum = u"1" + Text(32764, u'0') + u"8.9";
    for (const bool entry : {true, false}) {
        const auto add = entry ? realAdd : general::realAdd;
        const auto sub = entry ? realSub : general::realSub;
        EXPECT_EQ(run(add, integer, u".5"), ok(Text(32765, u'1') + u".5"));
        EXPECT_EQ(run(add, integer, u".55"), fails(kOverflow));
        EXPECT_EQ(run(add, u".55", integer), fails(kOverflow));
        EXPECT_EQ(run(sub, integer, u"0.5"), ok(Text(32764, u'1') + u"0.5"));
        EXPECT_EQ(run(sub, integer, u"0.05"), fails(kOverflow));
        EXPECT_EQ(run(add, Text(32767, u'1'), u"1.5"), fails(kOverflow));
        EXPECT_EQ(run(sub, u"1.5", Text(32766, u'1') + u" "), fails(kOverflow));
        EXPECT_EQ(run(add, nines, u"9.9"), ok(longSum));
        EXPECT_EQ(run(sub, nines, u"-9.9"), ok(longSum));
        EXPECT_EQ(run(add, longSum, u"0"), fails(kOverflow));
    }
}

// How a sum or difference with `fl` fraction digits is written: exactly fl fraction digits, or
// none (and no point) when they are all zero; nothing before the point when the digits end
// exactly there, a single "0" when they are fewer; "-" first.
Text withFraction(const support::Number& value, std::size_t fl) {
    if (value.magnitude == "0") {
        return u"0";
    }
    std::string digits = value.magnitude;
    if (digits.size() < fl) {
        digits.insert(0, fl - digits.size() + 1, '0');
    }
    std::string body = digits.substr(0, digits.size() - fl);
    const std::string fraction = digits.substr(digits.size() - fl);
    if (fraction.find_first_not_of('0') != std::string::npos) {
        body += "." + fraction;
    }
    return support::wide((value.negative ? "-" : "") + body);
}

TEST(RealAddSubProperties, ExactValueInTheDocumentedForm) {
    std::mt19937 rng(31337);
    for (int i = 0; i < 1000; ++i) {
        const std::size_t size = i % 3 == 0 ? 3 : 150;
        const auto x = support::randomReal(rng, size);
        const auto y = support::randomReal(rng, size);
        SCOPED_TRACE(support::narrow(x.text) + " and " + support::narrow(y.text));
        const std::size_t fl = std::max(x.fractionLength, y.fractionLength);
        const auto sum = support::add(support::scaledTo(x, fl), support::scaledTo(y, fl));
        const auto difference =
            support::subtract(support::scaledTo(x, fl), support::scaledTo(y, fl));
        ASSERT_EQ(run(realAdd, x.text, y.text), ok(withFraction(sum, fl)));
        ASSERT_EQ(run(general::realAdd, x.text, y.text), ok(withFraction(sum, fl)));
        ASSERT_EQ(run(realAdd, y.text, x.text), ok(withFraction(sum, fl)));
        ASSERT_EQ(run(realSub, x.text, y.text), ok(withFraction(difference, fl)));
        ASSERT_EQ(run(general::realSub, x.text, y.text), ok(withFraction(difference, fl)));
    }
}

}  // namespace
}  // namespace kestrum::aserv
