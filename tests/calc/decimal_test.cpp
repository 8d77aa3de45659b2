#include "decimal.h"

#include <gtest/gtest.h>

#include <string>

#include "decimal_support.h"

namespace kestrum::calc {
namespace {

using test::dec;

TEST(Decimal, TextInNormalForm) {
    const std::pair<const char*, const char*> cases[] = {
        {".5", "0.5"},
        {"5.", "5"},
        {"-0.0", "0"},
        {"0012.3400", "12.34"},
        {"-000.001", "-0.001"},
        {"300", "300"},
        {"-300.", "-300"},
        {"0", "0"},
        {"1234567890123456789012345.678901234567890", "1234567890123456789012345.67890123456789"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(dec(text).toString(), expected) << text;
    }
    EXPECT_EQ((Decimal{BigInt(25), 3}).toString(), "25000");
    EXPECT_EQ((Decimal{BigInt(-25), -3}).toString(), "-0.025");
    EXPECT_EQ((Decimal{BigInt(1), -2000}).toString(), "0." + std::string(1999, '0') + "1");
}

TEST(Decimal, MagnitudeIsThePositionAboveTheLeadingDigit) {
    EXPECT_EQ(dec("999.9").magnitude(), 3);
    EXPECT_EQ(dec("1000").magnitude(), 4);
    EXPECT_EQ(dec("-0.01").magnitude(), -1);
    EXPECT_EQ((Decimal{BigInt(1), -80000}).magnitude(), -79999);
    EXPECT_FALSE(dec("0.000").magnitude().has_value());
}

// Exponents far apart are compared without writing the zeros between them.
TEST(Decimal, ComparesExactlyAtAnyExponent) {
    const Decimal tiny{BigInt(1), -80000};
    const Decimal tinier{BigInt(9), -80001};
    const Decimal huge{BigInt(-1), 100000};
    const Decimal lessHuge{BigInt(-2), 99999};
    EXPECT_GT(tiny, Decimal{});
    EXPECT_GT(tiny, tinier);
    EXPECT_LT(-tiny, -tinier);
    EXPECT_LT(huge, lessHuge);
    EXPECT_LT(huge, tiny);
    EXPECT_EQ((Decimal{BigInt(10), 0}), (Decimal{BigInt(1), 1}));
    EXPECT_NE(dec("0.30000000000000000000001"), dec("0.3"));
    EXPECT_LT(dec("0.3"), dec("0.30000000000000000000001"));
    EXPECT_GT(dec("-0.3"), dec("-0.30000000000000000000001"));
    EXPECT_EQ(dec("-12.50"), (Decimal{BigInt(-125), -1}));
}

TEST(Decimal, ExactArithmetic) {
    EXPECT_EQ((dec("1.5") + dec("-0.0005")).toString(), "1.4995");
    EXPECT_EQ((dec("1000") - dec("0.001")).toString(), "999.999");
    EXPECT_EQ((dec("-1.25") * dec("0.04")).toString(), "-0.05");
    EXPECT_EQ((dec("2.5") - dec("2.5")).toString(), "0");
}

TEST(Decimal, RoundsToNearestWithABoundOnTheChange) {
    struct Case {
        const char* value;
        std::int64_t digits;
        const char* rounded;
        bool exact;
    };
    const Case cases[] = {
        {"123.456", 4, "123.5", false},
        {"-123.449", 4, "-123.4", false},
        {"999.96", 4, "1000", false},
        {"120000", 2, "120000", true},
        {"-0.000123", 2, "-0.00012", false},
        {"0.000125", 2, "0.00013", false},
        {"7", 30, "7", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const RoundedDecimal r = roundToDigits(dec(c.value), c.digits);
        EXPECT_EQ(r.value.toString(), c.rounded);
        EXPECT_EQ(r.error.isZero(), c.exact);
        EXPECT_GE(r.error.toDecimal(), abs(r.value - dec(c.value)));
    }
    const RoundedDecimal cut = roundToExponent(dec("-2.71828"), -2);
    EXPECT_EQ(cut.value.toString(), "-2.72");
    EXPECT_EQ(cut.error.toDecimal(), dec("0.005"));
}

// A radius bounds its exact value from the right side and is no more than a part in 10^8 off.
void expectTightAbove(const Radius& r, const Decimal& exact) {
    EXPECT_GE(r.toDecimal(), exact);
    EXPECT_LE(r.toDecimal(), exact + exact * dec("0.00000002")) << r.toDecimal().toString();
}

TEST(Radius, BoundsFromAboveAndBelow) {
    for (const char* text : {"3", "-123456789123", "0.000000000000000000000987654321987"}) {
        const Decimal d = abs(dec(text));
        expectTightAbove(Radius::above(d), d);
        EXPECT_LE(Radius::below(d).toDecimal(), d);
        EXPECT_GE(Radius::below(d).toDecimal(), d - d * dec("0.00000002"));
        EXPECT_LT(Radius::above(d).mantissa, Radius::kMantissaLimit);
    }
    EXPECT_EQ(Radius::above(18'446'744'073'709'551'615ULL, -5).toDecimal().toString(),
              "184467441000000");
}

TEST(Radius, SumsProductsAndQuotientsRoundUp) {
    struct Case {
        Radius a;
        Radius b;
    };
    const Case cases[] = {
        {{5, 0}, {3, -100}},
        {{999'999'999, 7}, {999'999'999, 7}},
        {{123'456'789, -40}, {987'654'321, -45}},
        {{1, 300}, {7, -300}},
    };
    for (const Case& c : cases) {
        const Decimal a = c.a.toDecimal();
        const Decimal b = c.b.toDecimal();
        expectTightAbove(c.a + c.b, a + b);
        expectTightAbove(c.a * c.b, a * b);
        const Radius q = quotientAbove(c.a, c.b);
        EXPECT_GE(q.toDecimal() * b, a);
        EXPECT_LE(q.toDecimal() * b, a + a * dec("0.00000002"));
    }
    EXPECT_TRUE((Radius{} + Radius{}).isZero());
    EXPECT_EQ((Radius{} + Radius{4, -3}).toDecimal(), dec("0.004"));
}

}  // namespace
}  // namespace kestrum::calc
