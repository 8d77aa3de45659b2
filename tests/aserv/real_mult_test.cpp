#include "real_mult.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "general/real_mult.h"
#include "test_support.h"

namespace kestrum::aserv {
namespace {

using support::BinaryCase;
using support::fails;
using support::ok;
using support::run;

class RealMultTest : public testing::TestWithParam<BinaryCase> {};

TEST_P(RealMultTest, GivesTheDocumentedResult) {
    support::expectOutcome(realMult, general::realMult, GetParam());
}

// An all-zero fraction leaves the point with nothing behind it.
INSTANTIATE_TEST_SUITE_P(
    PointKept, RealMultTest,
    testing::Values(BinaryCase{u"1.5", u"2", ok(u"3.")}, BinaryCase{u"2.50", u"4", ok(u"10.")},
                    BinaryCase{u"1.25", u"8", ok(u"10.")}, BinaryCase{u"5.", u".2", ok(u"1.")},
                    BinaryCase{u"100", u"0.01", ok(u"1.")}, BinaryCase{u"10", u"0.1", ok(u"1.")},
                    BinaryCase{u".5", u"2", ok(u"1.")}, BinaryCase{u"2", u".5", ok(u"1.")},
                    BinaryCase{u"1.", u"2", ok(u"2.")}, BinaryCase{u"20", u"3.0", ok(u"60.")},
                    BinaryCase{u"0.125", u"8", ok(u"1.")}, BinaryCase{u"1 2.5", u"2", ok(u"25.")}));

// Other trailing zeros go; a product below 1 has a "0" before the point.
INSTANTIATE_TEST_SUITE_P(Fractions, RealMultTest,
                         testing::Values(BinaryCase{u"1.5", u"1.5", ok(u"2.25")},
                                         BinaryCase{u"1.5", u"2.5", ok(u"3.75")},
                                         BinaryCase{u"1.05", u"2", ok(u"2.1")},
                                         BinaryCase{u"0.5", u"0.5", ok(u"0.25")},
                                         BinaryCase{u"-.5", u"-.5", ok(u"0.25")},
                                         BinaryCase{u"0.1", u"0.1", ok(u"0.01")},
                                         BinaryCase{u"0.05", u"0.05", ok(u"0.0025")},
                                         BinaryCase{u"0.25", u"0.4", ok(u"0.1")},
                                         BinaryCase{u"12.5", u"0.04", ok(u"0.5")}));

// The sign stands in front of everything, also of a zero product.
INSTANTIATE_TEST_SUITE_P(
    Signs, RealMultTest,
    testing::Values(BinaryCase{u"-1.5", u"2", ok(u"-3.")}, BinaryCase{u"1.5", u"-2", ok(u"-3.")},
                    BinaryCase{u"-1.5", u"-2", ok(u"3.")}, BinaryCase{u"2.5", u"-0.4", ok(u"-1.")},
                    BinaryCase{u"-0.5", u"0.5", ok(u"-0.25")},
                    BinaryCase{u"-0.1", u"0.1", ok(u"-0.01")},
                    BinaryCase{u"+0.5", u"-+3", ok(u"1.5")},
                    BinaryCase{u"-0.5", u"0.0", ok(u"-0.")}, BinaryCase{u"0.0", u"-5", ok(u"-0.")},
                    BinaryCase{u"-0", u"1.5", ok(u"-0.")}, BinaryCase{u"-", u"1.5", ok(u"-0.")},
                    BinaryCase{u"-", u"2", ok(u"-0")}));

// Only ".", "" and "0" count as zero up front; other zeros are multiplied.
INSTANTIATE_TEST_SUITE_P(
    ZeroOperands, RealMultTest,
    testing::Values(BinaryCase{u"3", u"0.0", ok(u"0.")}, BinaryCase{u"0.0", u"5", ok(u"0.")},
                    BinaryCase{u"0.00", u"1", ok(u"0.")}, BinaryCase{u"0", u"5", ok(u"0")},
                    BinaryCase{u"5", u"0", ok(u"0")}, BinaryCase{u".", u"5", ok(u"0")},
                    BinaryCase{u"5", u".", ok(u"0")}, BinaryCase{u"", u"5", ok(u"0")},
                    BinaryCase{u"5", u"", ok(u"0")}, BinaryCase{u"1.5", u"0", ok(u"0")},
                    BinaryCase{u"1.5", u" . ", ok(u"0")}, BinaryCase{u"1.5", u"", ok(u"0")},
                    BinaryCase{u"-5", u"0", ok(u"0")}, BinaryCase{u"0", u"abc", ok(u"0")},
                    BinaryCase{u"00", u"5", ok(u"0")}));

INSTANTIATE_TEST_SUITE_P(WithoutAPointAndErrors, RealMultTest,
                         testing::Values(BinaryCase{u"2", u"3", ok(u"6")},
                                         BinaryCase{u"-2", u"3", ok(u"-6")},
                                         BinaryCase{u"10", u"10", ok(u"100")},
                                         BinaryCase{u"-5", u"-0", ok(u"0")},
                                         BinaryCase{u"1.2.3", u"2", fails(kNonDigitInAddition)},
                                         BinaryCase{u"1.5", u"a", fails(kNonDigitInAddition)},
                                         BinaryCase{u"1.5", u"2-", fails(kNonDigitInAddition)}));

TEST(RealMultAliasing, ResultMayBeAnOperand) {
    for (const auto mult : {realMult, general::realMult}) {
        Text s = u"1.5";
        mult(s, s, s);
        EXPECT_EQ(s, u"2.25");
        mult(u"-2", s, s);
        EXPECT_EQ(s, u"-4.5");
        s = u"1.2.3";
        EXPECT_THROW(mult(s, u"2", s), AServError);
        EXPECT_EQ(s, u"1.2.3");
    }
}

TEST(RealMultLimits, FractionLengthsProductsAndResults) {
    for (const auto mult : {realMult, general::realMult}) {
        EXPECT_EQ(run(mult, Text(32767, u'1'), u"1.5"), fails(kOverflow));
        // The two fraction lengths together exceed 32767.
        EXPECT_EQ(run(mult, u"." + Text(20000, u'1'), u"." + Text(13000, u'1')), fails(kOverflow));
        // A row of the multiplication longer than 32766 characters.
        EXPECT_EQ(run(mult, Text(32765, u'5') + u".", u"2."), fails(kOverflow));
        // The result text, point and sign included, may hold at most 32766 characters.
        EXPECT_EQ(run(mult, Text(32763, u'4') + u".", u"2"), ok(Text(32763, u'8') + u"."));
        EXPECT_EQ(run(mult, Text(32764, u'4') + u".", u"2"), fails(kOverflow));
        EXPECT_EQ(run(mult, u"-" + Text(32763, u'4') + u".", u"2"), fails(kOverflow));
    }
}

// How a product with `fs` fraction digits is written: a "0" before a leading point, trailing
// zeros of the fraction removed up to the point, "-" first.
Text productText(const support::RandomReal& x, const support::RandomReal& y) {
    std::string digits = support::multiplyMagnitudes(x.scaledMagnitude, y.scaledMagnitude);
    const std::string sign = x.negative != y.negative ? "-" : "";
    if (!x.hasPoint && !y.hasPoint) {
        // Both operands were scaled by ten, which the integer product does not have.
        return support::wide(sign + digits.substr(0, digits.size() - 2));
    }
    const std::size_t fs = x.fractionLength + y.fractionLength;
    if (digits.size() < fs) {
        digits.insert(0, fs - digits.size(), '0');
    }
    std::string integerDigits = digits.substr(0, digits.size() - fs);
    std::string fraction = digits.substr(digits.size() - fs);
    fraction.erase(fraction.find_last_not_of('0') + 1);
    return support::wide(sign + (integerDigits.empty() ? "0" : integerDigits) + "." + fraction);
}

TEST(RealMultProperties, ExactValueInTheDocumentedForm) {
    std::mt19937 rng(1234567);
    for (int i = 0; i < 300; ++i) {
        const std::size_t size = i % 3 == 0 ? 3 : 60;
        const auto x = support::randomReal(rng, size);
        const auto y = support::randomReal(rng, size);
        SCOPED_TRACE(support::narrow(x.text) + " and " + support::narrow(y.text));
        const Text expected = productText(x, y);
        ASSERT_EQ(run(realMult, x.text, y.text), ok(expected));
        ASSERT_EQ(run(general::realMult, x.text, y.text), ok(expected));
        ASSERT_EQ(run(realMult, y.text, x.text), ok(expected));
    }
}

}  // namespace
}  // namespace kestrum::aserv
