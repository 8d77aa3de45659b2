// Division of dividends that hold a non-digit: the digits in front of it are divided by the
// kernel and the division goes on step by step from the rebuilt window; windows that can only
// stay smaller, and subtraction loops that can never end, are settled at once.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "aserv_error.h"
#include "general/int_add_sub.h"
#include "general/int_comp.h"
#include "general/int_div.h"
#include "int_div.h"

namespace kestrum::aserv {
namespace {

struct DivisionOutcome {
    Text m;
    Text r;
    int error = 0;
    bool operator==(const DivisionOutcome&) const = default;
};

void PrintTo(const DivisionOutcome& o, std::ostream* os) {
    *os << "m=" << testing::PrintToString(o.m) << " r=" << testing::PrintToString(o.r)
        << " error=" << o.error;
}

template <typename Divide>
DivisionOutcome divideWith(Divide divide, TextView a1, TextView a2) {
    DivisionOutcome outcome{u"m?", u"r?", 0};
    std::int16_t er = 0;
    try {
        divide(a1, a2, outcome.m, outcome.r, er);
    } catch (const AServError& error) {
        outcome.error = error.number();
    }
    return outcome;
}

struct PathCase {
    Text a1;
    Text a2;
    DivisionOutcome expected;
};

class DivisionPathTest : public testing::TestWithParam<PathCase> {};

// Expected values worked out by hand, position by position.
TEST_P(DivisionPathTest, MatchesLongDivisionStepByStep) {
    const auto& c = GetParam();
    EXPECT_EQ(divideWith(intDiv, c.a1, c.a2), c.expected);
    EXPECT_EQ(divideWith(general::intDiv, c.a1, c.a2), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    HandWorked, DivisionPathTest,
    testing::Values(
        // 7 | 0 | 0 | 0 | . | 5: one "1", then windows 0, 00, 000, 000., 000.5 all smaller.
        PathCase{u"7000.5", u"7", {u"100000", u".5", 0}},
        PathCase{u"7000.5", u"-7", {u"-100000", u"-.5", 0}},
        // The window equals the divisor; the next one starts with the "-", then stays negative.
        PathCase{u"7-5", u"7", {u"100", u"-5", 0}},
        // After the equal window the "+" stands alone, reads as zero, then "+9" is 9.
        PathCase{u"7+9", u"7", {u"101", u"2", 0}},
        // 14 leaves 0 after two subtractions; "0a" is larger than 7 and its subtraction fails.
        PathCase{u"14a", u"7", {u"2", u"", 103}},
        // 50 gives 7 (remainder 1); "1a" fails in the subtraction.
        PathCase{u"50a", u"7", {u"7", u"", 103}},
        // A leading "." keeps every window below the divisor.
        PathCase{u"0.000", u"7", {u"0", u".000", 0}},
        // A divisor whose split leaves "-1" only ever adds: the count would overflow.
        PathCase{u"55", u"--1", {u"", u"", 6}}, PathCase{u"55", u"+-0", {u"", u"", 6}},
        // The non-digit inside the first window: no kernel prefix.
        PathCase{u"1a00", u"123", {u"", u"", 103}}));

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
        ASSERT_EQ(divideWith(intDiv, dividend, signedDivisor),
                  divideWith(general::intDiv, dividend, signedDivisor))
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
                DivisionOutcome expected{u"", u"", 0};
                Text w = window;
                long count = 1;
                while (true) {
                    w = general::subtractBlankFree(w, magnitude);
                    if (general::compareBlankFree(w, magnitude) < 0) {
                        break;
                    }
                    if (++count > 32767) {
                        expected.error = kOverflow;
                        break;
                    }
                }
                if (expected.error == 0 && count > 207) {
                    expected.error = kInvalidArgument;
                } else if (expected.error == 0) {
                    expected.m = Text(1, static_cast<char16_t>(u'0' + count));
                    expected.r = w;
                }
                const Text divisor = u"+" + magnitude;
                EXPECT_EQ(divideWith(intDiv, window, divisor), expected)
                    << testing::PrintToString(window) << " / " << testing::PrintToString(divisor);
            }
        }
    }
}

}  // namespace
}  // namespace kestrum::aserv
