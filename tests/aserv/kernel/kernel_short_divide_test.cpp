// Division by short divisors against the column-arithmetic reference: dividends of up to 19
// digits, which one machine word holds, either side of that length and of 2^64 and 10^18, and
// the digit-group division at every head length, with quotient limbs of every width.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/kernel.h"
#include "operands.h"
#include "reference.h"

namespace kestrum::aserv::kernel::testing {
namespace {

std::u16string text(const char* s) {
    return std::u16string(s, s + std::char_traits<char>::length(s));
}

void checkAgainstReference(const std::u16string& a, const std::u16string& b) {
    SCOPED_TRACE(std::string(a.begin(), a.end()) + " / " + std::string(b.begin(), b.end()));
    const ReferenceDivision expected = referenceDivide(a, b);
    const Division d = divideMagnitudes(a, b);
    EXPECT_EQ(d.quotient, expected.quotient);
    EXPECT_EQ(d.remainder, expected.remainder);
    // Leading zeros on either operand change nothing.
    const Division padded = divideMagnitudes(u"000" + a, u"0" + b);
    EXPECT_EQ(padded.quotient, expected.quotient);
    EXPECT_EQ(padded.remainder, expected.remainder);
}

TEST(KernelShortDivision, HandWorkedWordResults) {
    const struct {
        const char* a;
        const char* b;
        const char* q;
        const char* r;
    } cases[] = {
        {"9999999999999999999", "3", "3333333333333333333", "0"},
        {"9999999999999999999", "9999999999999999999", "1", "0"},
        {"9999999999999999999", "1000000000000000000", "9", "999999999999999999"},
        {"18446744073709551615", "1", "18446744073709551615", "0"},
        {"18446744073709551616", "2", "9223372036854775808", "0"},
        {"18446744073709551617", "18446744073709551616", "1", "1"},
        {"1000000000000000000", "999999999999999999", "1", "1"},
        {"1000000000000000001", "1000000000000000001", "1", "0"},
        {"7", "7", "1", "0"},
        {"5", "7", "0", "5"},
    };
    for (const auto& c : cases) {
        const Division d = divideMagnitudes(text(c.a), text(c.b));
        EXPECT_EQ(d.quotient, text(c.q)) << c.a << " / " << c.b;
        EXPECT_EQ(d.remainder, text(c.r)) << c.a << " / " << c.b;
    }
}

// Values next to 10^k and 2^64 as dividends and divisors, at 17 to 21 digits.
TEST(KernelShortDivision, AroundTheWordBoundaries) {
    std::vector<std::u16string> values;
    for (const std::size_t k : {17U, 18U, 19U, 20U}) {
        const std::u16string power = std::u16string(1, u'1').append(k, u'0');
        values.push_back(power);
        values.push_back(std::u16string(k, u'9'));
        values.push_back(power.substr(0, k) + u"1");
        values.push_back(power.substr(0, k - 1) + u"11");
    }
    for (const char* s : {"18446744073709551615", "18446744073709551616", "18446744073709551617",
                          "9223372036854775807", "9223372036854775808"}) {
        values.push_back(text(s));
    }
    OperandMaker maker(41);
    for (const std::size_t length : {18U, 19U, 20U}) {
        for (int i = 0; i < 4; ++i) {
            values.push_back(maker.any(length));
        }
    }
    const std::u16string divisors[] = {u"1", u"2", u"7", u"10", u"99999", u"4294967296"};
    for (const std::u16string& a : values) {
        for (const std::u16string& b : divisors) {
            checkAgainstReference(a, b);
        }
        for (const std::u16string& b : values) {
            checkAgainstReference(a, b);
        }
    }
}

// Dividends of every length from 19 to 2 * 18 + 19 digits, so the top digit group takes every
// length, by divisors of every length up to 18 digits in several shapes; a top group below the
// divisor makes the first quotient limb come from the next group.
TEST(KernelShortDivision, EveryHeadLengthAndDivisorLength) {
    OperandMaker maker(42);
    for (std::size_t lb = 1; lb <= 18; ++lb) {
        const std::u16string divisors[] = {maker.any(lb), maker.make(lb, Shape::Nines),
                                           maker.make(lb, Shape::PowerOfTen),
                                           maker.make(lb, Shape::Random)};
        for (const std::u16string& b : divisors) {
            for (std::size_t la = 19; la <= 55; la += 1 + maker.below(3)) {
                checkAgainstReference(maker.any(la), b);
            }
            checkAgainstReference(b + std::u16string(20, u'0'), b);
            checkAgainstReference(b + std::u16string(19, u'0') + u"1", b);
            checkAgainstReference(std::u16string(20 + lb, u'9'), b);
        }
    }
}

// The longest dividends by short divisors, each checked as a = q * b + r with r < b.
TEST(KernelShortDivision, LongestDividends) {
    OperandMaker maker(43);
    const std::u16string divisors[] = {u"1",
                                       u"3",
                                       u"9999999999",
                                       u"999999999999999999",
                                       u"100000000000000000",
                                       u"100000000000000001"};
    for (const std::u16string& b : divisors) {
        for (const Shape shape : kShapes) {
            const std::u16string a = maker.make(32766, shape);
            const Division d = divideMagnitudes(a, b);
            EXPECT_LT(compareMagnitudes(d.remainder, b), 0);
            EXPECT_EQ(addMagnitudes(multiplyMagnitudes(d.quotient, b), d.remainder), a);
        }
    }
}

// Divisors where the quotient estimate of 32-bit builds changes form: remainders whose low
// 32-bit word has its top bit set (divisors past 2^31 and 2^32), the half base 10^9 either side,
// and the largest divisors, whose remainders reach 2^59; dividends that keep every quotient half
// at 10^9 - 1 or at 0 put the estimate next to a whole number.
TEST(KernelShortDivision, DivisorsAtTheEstimateBoundaries) {
    OperandMaker maker(44);
    const char* divisors[] = {"2147483647",         "2147483648",         "2147483649",
                              "4294967295",         "4294967296",         "4294967297",
                              "999999999",          "1000000000",         "1000000001",
                              "6442450943",         "576460752303423487", "576460752303423488",
                              "999999999999999989", "500000000000000000", "500000000000000001"};
    for (const char* divisor : divisors) {
        const std::u16string b = text(divisor);
        const std::u16string dividends[] = {maker.any(200),
                                            std::u16string(200, u'9'),
                                            b + std::u16string(60, u'0'),
                                            b + std::u16string(59, u'0') + u"1",
                                            referenceSubtract(b + std::u16string(60, u'0'), u"1"),
                                            referenceMultiply(b, std::u16string(60, u'9'))};
        for (const std::u16string& a : dividends) {
            checkAgainstReference(a, b);
        }
    }
}

}  // namespace
}  // namespace kestrum::aserv::kernel::testing
