#include "whole_numbers.h"

#include <gtest/gtest.h>

namespace kestrum::calc {
namespace {

BigInt big(const char* digits) {
    return BigInt::fromDigits(digits);
}

TEST(WholeNumbers, Factorials) {
    EXPECT_EQ(factorial(0), BigInt(1));
    EXPECT_EQ(factorial(1), BigInt(1));
    EXPECT_EQ(factorial(20), BigInt(2432902008176640000));
    EXPECT_EQ(factorial(25), big("15511210043330985984000000"));
    // 1000! has 2568 digits and ends in 249 zeros; each factorial is its predecessor times n.
    const BigInt thousand = factorial(1000);
    EXPECT_EQ(thousand.digitCount(), 2568U);
    EXPECT_EQ(thousand.trailingZeros(), 249U);
    EXPECT_EQ(factorial(999) * BigInt(1000), thousand);
}

TEST(WholeNumbers, Binomials) {
    struct Case {
        BigInt n;
        std::uint64_t k;
        BigInt expected;
    };
    const Case cases[] = {
        {BigInt(10), 3, BigInt(120)},
        {BigInt(10), 7, BigInt(120)},
        {BigInt(5), 0, BigInt(1)},
        {BigInt(5), 5, BigInt(1)},
        {BigInt(0), 0, BigInt(1)},
        {BigInt(100), 50, big("100891344545564193334812497256")},
        {big("1000000000000000000000"), 2, big("499999999999999999999500000000000000000000")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(binomial(c.n, c.k), c.expected) << c.n.toString() << " over " << c.k;
    }
}

TEST(WholeNumbers, DivisorsAndMultiples) {
    struct Case {
        BigInt a;
        BigInt b;
        BigInt gcd;
        BigInt lcm;
    };
    const Case cases[] = {
        {BigInt(12), BigInt(18), BigInt(6), BigInt(36)},
        {BigInt(-12), BigInt(18), BigInt(6), BigInt(36)},
        {BigInt(-4), BigInt(-6), BigInt(2), BigInt(12)},
        {BigInt(0), BigInt(0), BigInt(0), BigInt(0)},
        {BigInt(0), BigInt(-5), BigInt(5), BigInt(0)},
        {BigInt(17), BigInt(5), BigInt(1), BigInt(85)},
        {big("1000000000000000000000000"), big("250000000000000000000"),
         big("250000000000000000000"), big("1000000000000000000000000")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(greatestCommonDivisor(c.a, c.b), c.gcd)
            << c.a.toString() << " " << c.b.toString();
        EXPECT_EQ(leastCommonMultiple(c.a, c.b), c.lcm) << c.a.toString() << " " << c.b.toString();
    }
}

}  // namespace
}  // namespace kestrum::calc
