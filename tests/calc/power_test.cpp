#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

#include "ball.h"
#include "decimal_support.h"

namespace kestrum::calc {
namespace {

using test::dec;
using test::exactPower;

TEST(PowInteger, ExactPowersStayExact) {
    struct Case {
        const char* base;
        std::int64_t n;
        std::int64_t digits;
        const char* result;  // nullptr when the power cannot be exact at the precision
    };
    const Case cases[] = {
        {"2", 10, 30, "1024"},    {"-1.5", 3, 30, "-3.375"},
        {"2", -2, 30, "0.25"},    {"3", -1, 30, nullptr},
        {"0", 0, 30, "1"},        {"7.3", 0, 30, "1"},
        {"0", 5, 30, "0"},        {"-0.1", 7, 1, "-0.0000001"},
        {"1.1", 30, 31, nullptr}, {"1.1", 30, 32, "17.449402268886407318558803753801"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.base) + "^" + std::to_string(c.n));
        const Ball r = powInteger(Ball(dec(c.base)), c.n, Precision{c.digits});
        EXPECT_EQ(r.isExact(), c.result != nullptr);
        if (c.result != nullptr) {
            EXPECT_EQ(r.mid().toString(), c.result);
        }
    }
    EXPECT_EQ(powInteger(Ball(dec("10")), 100'000, Precision{30}).mid(),
              (Decimal{BigInt(1), 100'000}));
    EXPECT_THROW(powInteger(Ball(dec("10")), 100'001, Precision{30}), std::range_error);
    EXPECT_THROW(powInteger(Ball(dec("2")), 400'000, Precision{30}), std::range_error);
    EXPECT_THROW(powInteger(Ball(dec("123")), 9'000'000'000'000'000'000, Precision{30}),
                 std::range_error);
    // Too small for a ball to keep away from zero, where its sign would be lost.
    EXPECT_THROW(powInteger(Ball(dec("0.001")), 9'000'000'000'000'000'000, Precision{30}),
                 UnderflowError);
}

// Powers of the ends and the middle of a ball lie in the power of the ball, and their
// reciprocals in the negative power.
TEST(PowInteger, PowersHoldThePowersOfEveryPoint) {
    std::mt19937_64 random(9);
    for (int round = 0; round < 60; ++round) {
        const Decimal mid{BigInt(static_cast<std::int64_t>(random() % 2'000'000)) - 1'000'000,
                          -static_cast<std::int64_t>(random() % 7)};
        if (mid.isZero()) {
            continue;
        }
        const Ball a(mid, Radius{1 + random() % 1000, *mid.magnitude() - 9});
        const auto n = static_cast<std::int64_t>(1 + random() % 40);
        const Precision p{static_cast<std::int64_t>(5 + random() % 40)};
        const Ball power = powInteger(a, n, p);
        const Ball reciprocal = powInteger(a, -n, p);
        for (const Decimal& x : {a.lower(), a.mid(), a.upper()}) {
            const Decimal exact = exactPower(x, n);
            EXPECT_TRUE(power.lower() <= exact && exact <= power.upper())
                << x.toString() << "^" << n;
            const Decimal low = reciprocal.lower() * exact;
            const Decimal high = reciprocal.upper() * exact;
            const Decimal one = dec("1");
            EXPECT_TRUE(exact.sign() > 0 ? low <= one && one <= high : high <= one && one <= low)
                << x.toString() << "^-" << n;
        }
    }
}

}  // namespace
}  // namespace kestrum::calc
