#include "int_div.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>

#include "general/int_add_sub.h"
#include "general/int_comp.h"
#include "general/int_div.h"
#include "test_support.h"

namespace kestrum::aserv {
namespace {

using support::narrow;

// The flag as the caller left it; a division that is not by zero must not touch it.
constexpr std::int16_t kFlagBefore = 7;

struct DivOutcome {
    Text m;
    Text r;
    std::int16_t er = kFlagBefore;
    int error = 0;
    bool operator==(const DivOutcome&) const = default;
};

void PrintTo(const DivOutcome& o, std::ostream* os) {
    *os << "m \"" << narrow(o.m) << "\", r \"" << narrow(o.r) << "\", er " << o.er;
    if (o.error != 0) {
        *os << ", error " << o.error;
    }
}

DivOutcome quotient(TextView m, TextView r) {
    return {Text(m), Text(r), kFlagBefore, 0};
}

DivOutcome byZero() {
    return {u"0", u"0", 1, 0};
}

// An error in the long division: m holds the quotient digits so far, r is empty.
DivOutcome failsWith(int number, TextView digitsSoFar) {
    return {Text(digitsSoFar), u"", kFlagBefore, number};
}

// An error before m or r is written.
DivOutcome failsUntouched(int number) {
    return {u"m before", u"r before", kFlagBefore, number};
}

using DivOp = void (*)(TextView, TextView, Text&, Text&, std::int16_t&);

DivOutcome divide(DivOp op, TextView a1, TextView a2, std::int16_t er = kFlagBefore) {
    DivOutcome outcome{u"m before", u"r before", er, 0};
    try {
        op(a1, a2, outcome.m, outcome.r, outcome.er);
    } catch (const AServError& error) {
        outcome.error = error.number();
    }
    return outcome;
}

struct DivCase {
    Text a1;
    Text a2;
    DivOutcome expected;
};

void PrintTo(const DivCase& c, std::ostream* os) {
    *os << '"' << narrow(c.a1) << "\" / \"" << narrow(c.a2) << '"';
}

class IntDivTest : public testing::TestWithParam<DivCase> {};

TEST_P(IntDivTest, GivesTheDocumentedQuotientAndRemainder) {
    const auto& c = GetParam();
    EXPECT_EQ(divide(intDiv, c.a1, c.a2), c.expected) << "entry point";
    EXPECT_EQ(divide(general::intDiv, c.a1, c.a2), c.expected) << "general path";
}

INSTANTIATE_TEST_SUITE_P(LongDivision, IntDivTest,
                         testing::Values(DivCase{u"100", u"7", quotient(u"14", u"2")},
                                         DivCase{u"10", u"5", quotient(u"2", u"0")},
                                         DivCase{u"99", u"9", quotient(u"11", u"0")},
                                         DivCase{u"1024", u"32", quotient(u"32", u"0")},
                                         DivCase{u"1000", u"7", quotient(u"142", u"6")},
                                         DivCase{u"1005", u"5", quotient(u"201", u"0")},
                                         DivCase{u"123456789", u"12345",
                                                 quotient(u"10000", u"6789")},
                                         DivCase{u"0100", u"7", quotient(u"14", u"2")},
                                         DivCase{u"+100", u"+7", quotient(u"14", u"2")},
                                         DivCase{u"1 0 0", u" 7", quotient(u"14", u"2")},
                                         DivCase{u"-+5", u"2", quotient(u"2", u"1")},
                                         DivCase{u"5", u"-+2", quotient(u"2", u"1")},
                                         DivCase{u"123456789012345678901234567890", u"97",
                                                 quotient(u"1272750402189130710322005854", u"52")},
                                         DivCase{u"-98765432109876543210987654321", u"123456789",
                                                 quotient(u"-800000007370000067076", u"-75357")}));

// Quotient and remainder both take "-" when exactly one operand is negative.
INSTANTIATE_TEST_SUITE_P(Signs, IntDivTest,
                         testing::Values(DivCase{u"-7", u"2", quotient(u"-3", u"-1")},
                                         DivCase{u"7", u"-2", quotient(u"-3", u"-1")},
                                         DivCase{u"-7", u"-2", quotient(u"3", u"1")},
                                         DivCase{u"7", u"7", quotient(u"1", u"0")},
                                         DivCase{u"-7", u"7", quotient(u"-1", u"0")},
                                         DivCase{u"-1", u"1000", quotient(u"0", u"-1")}));

INSTANTIATE_TEST_SUITE_P(SmallerDividend, IntDivTest,
                         testing::Values(DivCase{u"7", u"100", quotient(u"0", u"7")},
                                         DivCase{u"1", u"1000", quotient(u"0", u"1")},
                                         DivCase{u"0", u"5", quotient(u"0", u"0")},
                                         DivCase{u"0", u"-7", quotient(u"0", u"0")},
                                         DivCase{u"-0", u"7", quotient(u"0", u"0")},
                                         DivCase{u"-00", u"7", quotient(u"0", u"0")},
                                         DivCase{u"", u"7", quotient(u"0", u"0")},
                                         DivCase{u"-", u"7", quotient(u"0", u"0")},
                                         DivCase{u"+-5", u"2", quotient(u"0", u"-5")}));

// The remainder comes without leading zeros, and a zero remainder is "0" without a sign.
INSTANTIATE_TEST_SUITE_P(RemainderForm, IntDivTest,
                         testing::Values(DivCase{u"100", u"5", quotient(u"20", u"0")},
                                         DivCase{u"-100", u"5", quotient(u"-20", u"0")},
                                         DivCase{u"1000", u"10", quotient(u"100", u"0")},
                                         DivCase{u"7001", u"7", quotient(u"1000", u"1")},
                                         DivCase{u"-7001", u"7", quotient(u"-1000", u"-1")},
                                         DivCase{u"007", u"100", quotient(u"0", u"7")},
                                         DivCase{u"-007", u"100", quotient(u"0", u"-7")}));

// A divisor written with leading zeros divides by its value.
INSTANTIATE_TEST_SUITE_P(DivisorWithLeadingZeros, IntDivTest,
                         testing::Values(DivCase{u"100", u"007", quotient(u"14", u"2")},
                                         DivCase{u"9", u"03", quotient(u"3", u"0")},
                                         DivCase{u"-100", u"-007", quotient(u"14", u"2")},
                                         DivCase{u"1000", u"0007", quotient(u"142", u"6")},
                                         DivCase{u"70", u"007", quotient(u"10", u"0")},
                                         DivCase{u"5", u"05", quotient(u"1", u"0")},
                                         DivCase{u"7", u"-0007", quotient(u"-1", u"0")},
                                         DivCase{u"3", u"007", quotient(u"0", u"3")}));

// Division by zero, negative zeros included, is no error: m and r "0", er 1.
INSTANTIATE_TEST_SUITE_P(
    ByZero, IntDivTest,
    testing::Values(DivCase{u"5", u"0", byZero()}, DivCase{u"0", u"0", byZero()},
                    DivCase{u"5", u"", byZero()}, DivCase{u"5", u"-", byZero()},
                    DivCase{u"5", u"+", byZero()}, DivCase{u"5", u"000", byZero()},
                    DivCase{u"5", u"+0", byZero()}, DivCase{u"5", u"  ", byZero()},
                    DivCase{u"5", u"-0", byZero()}, DivCase{u"0", u"-0", byZero()},
                    DivCase{u"5", u"-00", byZero()}, DivCase{u"5", u"- 0", byZero()},
                    DivCase{u"-0", u"-0", byZero()}, DivCase{u"abc", u"0", byZero()}));

INSTANTIATE_TEST_SUITE_P(
    Errors, IntDivTest,
    testing::Values(DivCase{u"12a", u"3", failsWith(kNonDigitInSubtraction, u"4")},
                    DivCase{u"-12a", u"3", failsWith(kNonDigitInSubtraction, u"4")},
                    DivCase{u"1a5", u"7", failsWith(kNonDigitInSubtraction, u"")},
                    DivCase{u"123", u"4x", failsWith(kNonDigitInSubtraction, u"")},
                    DivCase{Text(32767, u'1'), u"7", failsUntouched(kOverflow)},
                    DivCase{u"7", Text(32767, u'1'), failsUntouched(kOverflow)},
                    DivCase{u"7", Text(32767, u'0'), failsUntouched(kOverflow)},
                    DivCase{Text(32766, u'1') + u" ", u"-7", failsUntouched(kOverflow)}));

// Dividends holding a non-digit: the digits in front of it are divided fast and the division goes
// on step by step from the rebuilt window; windows that can only stay smaller, and subtraction
// loops that can never end, are settled at once. Worked out by hand, position by position.
INSTANTIATE_TEST_SUITE_P(
    NonDigitInTheDividend, IntDivTest,
    testing::Values(
        // 7 | 0 | 0 | 0 | . | 5: one "1", then windows 0, 00, 000, 000., 000.5 all smaller.
        DivCase{u"7000.5", u"7", quotient(u"100000", u".5")},
        DivCase{u"7000.5", u"-7", quotient(u"-100000", u"-.5")},
        // The window equals the divisor; the next one starts with the "-", then stays negative.
        DivCase{u"7-5", u"7", quotient(u"100", u"-5")},
        // After the equal window the "+" stands alone, reads as zero, then "+9" is 9.
        DivCase{u"7+9", u"7", quotient(u"101", u"2")},
        // 14 leaves 0 after two subtractions; "0a" is larger than 7 and its subtraction fails.
        DivCase{u"14a", u"7", failsWith(kNonDigitInSubtraction, u"2")},
        // 50 gives 7 (remainder 1); "1a" fails in the subtraction.
        DivCase{u"50a", u"7", failsWith(kNonDigitInSubtraction, u"7")},
        // A leading "." keeps every window below the divisor.
        DivCase{u"0.000", u"7", quotient(u"0", u".000")},
        // A divisor whose split leaves "-1" or "-0" never shrinks the window: the count overflows.
        DivCase{u"55", u"--1", failsWith(kOverflow, u"")},
        DivCase{u"55", u"+-0", failsWith(kOverflow, u"")},
        // The non-digit inside the first window.
        DivCase{u"1a00", u"123", failsWith(kNonDigitInSubtraction, u"")}));

TEST(IntDivFlag, IsSetOnlyByZeroDivisionAndNeverCleared) {
    for (const auto div : {intDiv, general::intDiv}) {
        Text m;
        Text r;
        std::int16_t er = 0;
        div(u"5", u"0", m, r, er);
        EXPECT_EQ(er, 1);
        div(u"100", u"7", m, r, er);
        EXPECT_EQ(m, u"14");
        EXPECT_EQ(r, u"2");
        EXPECT_EQ(er, 1);
        er = -3;
        div(u"-100", u"7", m, r, er);
        EXPECT_EQ(er, -3);
    }
}

TEST(IntDivLimits, LongOperands) {
    for (const auto div : {intDiv, general::intDiv}) {
        // The zero test comes before the dividend is read.
        EXPECT_EQ(divide(div, Text(40000, u'1'), u"0"), byZero());
        EXPECT_EQ(divide(div, Text(40000, u'1'), u"-0"), byZero());
        EXPECT_EQ(divide(div, Text(32766, u'9'), u"9"), quotient(Text(32766, u'1'), u"0"));
        EXPECT_EQ(divide(div, u"-" + Text(32765, u'9'), u"3"),
                  quotient(u"-" + Text(32765, u'3'), u"0"));
        EXPECT_EQ(divide(div, Text(3000, u'9'), u"1" + Text(2999, u'0')),
                  quotient(u"9", Text(2999, u'9')));
    }
}

TEST(IntDivAliasing, OperandMayBeAnOutput) {
    for (const auto div : {intDiv, general::intDiv}) {
        Text m;
        Text r;
        std::int16_t er = 0;
        Text x = u"100";
        div(x, u"7", x, r, er);
        EXPECT_EQ(x, u"14");
        EXPECT_EQ(r, u"2");
        x = u"7";
        div(u"-100", x, m, x, er);
        EXPECT_EQ(m, u"-14");
        EXPECT_EQ(x, u"-2");
        x = u"5";
        div(u"10", x, x, r, er);
        EXPECT_EQ(x, u"2");
        EXPECT_EQ(r, u"0");
        x = u"9";
        div(x, x, x, r, er);
        EXPECT_EQ(x, u"1");
        EXPECT_EQ(er, 0);
        // Long dividends, with leading zeros or blanks, read in place when nothing aliases.
        for (const Text dividend : {u"0098765432109876543210", u"4 5 6 7 8 9 0 1 2 3 4 5 6 7"}) {
            Text expectedM;
            Text expectedR;
            div(dividend, u"37", expectedM, expectedR, er);
            x = dividend;
            div(x, u"37", x, r, er);
            EXPECT_EQ(x, expectedM);
            EXPECT_EQ(r, expectedR);
            x = dividend;
            div(x, u"37", m, x, er);
            EXPECT_EQ(m, expectedM);
            EXPECT_EQ(x, expectedR);
        }
    }
}

// Splits an output into its sign and its digits, which must be in canonical form.
std::string unsignedDigits(const Text& text, bool& negative) {
    negative = !text.empty() && text[0] == u'-';
    const std::string digits(text.begin() + (negative ? 1 : 0), text.end());
    EXPECT_FALSE(digits.empty());
    EXPECT_TRUE(
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }));
    EXPECT_EQ(support::trimZeros(digits), digits) << "leading zeros";
    return digits;
}

// |a1| = |m| * |a2| + |r| with |r| < |a2|; m and r carry "-" when the signs differ, except on "0".
TEST(IntDivProperties, QuotientAndRemainderRebuildTheDividend) {
    std::mt19937 rng(4242);
    for (int i = 0; i < 300; ++i) {
        const bool small = i % 3 == 0;
        const auto x = support::randomInteger(rng, small ? 5 : 300, false);
        const auto y = support::randomInteger(rng, small ? 3 : (i % 2 == 0 ? 8 : 60), true);
        SCOPED_TRACE(narrow(x.text) + " / " + narrow(y.text));
        const DivOutcome outcome = divide(intDiv, x.text, y.text);
        ASSERT_EQ(outcome, divide(general::intDiv, x.text, y.text));
        ASSERT_EQ(outcome.error, 0);
        ASSERT_EQ(outcome.er, kFlagBefore);
        bool mNegative = false;
        bool rNegative = false;
        const std::string q = unsignedDigits(outcome.m, mNegative);
        const std::string rest = unsignedDigits(outcome.r, rNegative);
        const bool negative = x.negative != y.negative;
        EXPECT_EQ(mNegative, negative && q != "0");
        EXPECT_EQ(rNegative, negative && rest != "0");
        ASSERT_LT(support::compareMagnitudes(rest, y.value.magnitude), 0);
        ASSERT_EQ(support::addMagnitudes(support::multiplyMagnitudes(q, y.value.magnitude), rest),
                  x.value.magnitude);
    }
}

// Random dividends made of a digit prefix, one character that is not a digit and a tail, by
// divisors of digits (leading zeros too): the entry point and the step-by-step path agree on
// quotient, remainder and error.
TEST(DivisionPaths, DigitPrefixThenNonDigitAgreesWithStepByStep) {
    std::mt19937 random(20261207);
    const std::u16string odd = u"+-.a \u00E9";
    auto digits = [&random](std::size_t count) {
        Text text;
        std::uniform_int_distribution<int> digit(0, 9);
        std::bernoulli_distribution zeroRun(0.2);
        for (std::size_t i = 0; i < count; ++i) {
            text.push_back(static_cast<char16_t>(u'0' + (zeroRun(random) ? 0 : digit(random))));
        }
        return text;
    };
    std::uniform_int_distribution<std::size_t> length(0, 60);
    std::uniform_int_distribution<std::size_t> pick(0, odd.size() - 1);
    for (int round = 0; round < 3000; ++round) {
        const Text divisor = (round % 7 == 0 ? u"00" : u"") + digits(1 + length(random) / 6);
        // A prefix that repeats the divisor divides exactly, ending with the quotient digit 1.
        Text dividend = round % 3 == 1 ? divisor + divisor : digits(length(random));
        dividend.push_back(odd[pick(random)]);
        dividend += digits(length(random) / 4);
        const Text signedDivisor = (round % 3 == 0 ? u"-" : u"") + divisor;
        ASSERT_EQ(divide(intDiv, dividend, signedDivisor),
                  divide(general::intDiv, dividend, signedDivisor))
            << testing::PrintToString(dividend) << " / " << testing::PrintToString(signedDivisor);
    }
}

// The repeated subtraction of a divisor whose magnitude is a run of "-" signs and digits,
// settled without looping, against the loop itself run with the step-by-step subtraction: a
// window as long as the divisor gives exactly one quotient character, count + 48.
TEST(DivisionPaths, MinusRunDivisorsMatchTheSubtractionLoop) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> digit(0, 9);
    for (const Text digits : {u"7", u"07", u"10", u"3", u"0"}) {
        for (std::size_t signs = 1; signs <= 4; ++signs) {
            const Text magnitude = Text(signs, u'-') + digits;
            const int rounds =
                signs % 2 == 0 ? 12 : (digits == u"7" ? 1 : 0);  // odd runs loop 32767 times
            for (int round = 0; round < rounds; ++round) {
                Text window;
                for (std::size_t i = 0; i < magnitude.size(); ++i) {
                    window.push_back(static_cast<char16_t>(u'0' + digit(random)));
                }
                DivOutcome expected = failsWith(0, u"");
                Text w = window;
                long count = 1;
                while (true) {
                    w = general::subtractBlankFree(w, magnitude);
                    if (general::compareBlankFree(w, magnitude) < 0) {
                        break;
                    }
                    if (++count > 32767) {
                        expected = failsWith(kOverflow, u"");
                        break;
                    }
                }
                if (expected.error == 0 && count > 207) {
                    expected = failsWith(kInvalidArgument, u"");
                } else if (expected.error == 0) {
                    expected = quotient(Text(1, static_cast<char16_t>(u'0' + count)), w);
                }
                const Text divisor = u"+" + magnitude;
                EXPECT_EQ(divide(intDiv, window, divisor), expected)
                    << testing::PrintToString(window) << " / " << testing::PrintToString(divisor);
            }
        }
    }
}

}  // namespace
}  // namespace kestrum::aserv
