#include "ball.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

#include "decimal_support.h"

namespace kestrum::calc {
namespace {

using test::dec;

Ball exact(const char* text) {
    return Ball(dec(text));
}

bool holds(const Ball& ball, const Decimal& v) {
    return ball.lower() <= v && v <= ball.upper();
}

// The quotient x / y lies in the ball when lower * y and upper * y bracket x.
bool holdsQuotient(const Ball& ball, const Decimal& x, const Decimal& y) {
    const Decimal low = ball.lower() * y;
    const Decimal high = ball.upper() * y;
    return y.sign() > 0 ? low <= x && x <= high : high <= x && x <= low;
}

Ball randomBall(std::mt19937_64& random, bool exactMid) {
    std::string digits(static_cast<std::size_t>(1 + random() % 40), '0');
    for (char& d : digits) {
        d = static_cast<char>('0' + random() % 10);
    }
    digits.front() = static_cast<char>('1' + random() % 9);
    const Decimal mid{BigInt::fromDigits(digits) * (random() % 2 == 0 ? 1 : -1),
                      static_cast<std::int64_t>(random() % 60) - 30};
    if (exactMid) {
        return Ball(mid);
    }
    const Radius radius{1 + random() % Radius::kMantissaLimit,
                        *mid.magnitude() - 12 - static_cast<std::int64_t>(random() % 20)};
    return Ball(mid, radius);
}

// For points at the ends and the middle of the operands' balls, the results hold the exact
// results, and the radius of a result is no wider than the operands and the precision explain.
TEST(Ball, ResultsHoldEveryPointOfTheOperands) {
    std::mt19937_64 random(3);
    for (int round = 0; round < 300; ++round) {
        const Ball a = randomBall(random, round % 3 == 0);
        const Ball b = randomBall(random, round % 4 == 0);
        const Precision p{static_cast<std::int64_t>(3 + random() % 60)};
        const Ball sum = add(a, b, p);
        const Ball difference = sub(a, b, p);
        const Ball product = mul(a, b, p);
        const Ball quotient = div(a, b, p);
        for (const Decimal& x : {a.lower(), a.mid(), a.upper()}) {
            for (const Decimal& y : {b.lower(), b.mid(), b.upper()}) {
                SCOPED_TRACE(x.toString() + " and " + y.toString() + " at " +
                             std::to_string(p.digits));
                EXPECT_TRUE(holds(sum, x + y));
                EXPECT_TRUE(holds(difference, x - y));
                EXPECT_TRUE(holds(product, x * y));
                EXPECT_TRUE(holdsQuotient(quotient, x, y));
            }
        }
        if (a.isExact() && b.isExact()) {
            for (const Ball& result : {sum, product, quotient}) {
                const Decimal unit{BigInt(1), *result.mid().magnitude() - p.digits + 1};
                EXPECT_LE(result.radius().toDecimal(), unit);
            }
        }
    }
}

TEST(Ball, ExactResultsStayExactWithinThePrecision) {
    struct Case {
        char op;
        const char* a;
        const char* b;
        std::int64_t digits;
        const char* result;  // nullptr when the result cannot be exact
    };
    const Case cases[] = {
        {'/', "6", "2", 30, "3"},
        {'/', "1", "4", 30, "0.25"},
        {'/', "-1", "0.008", 30, "-125"},
        {'/', "1", "3", 30, nullptr},
        {'/', "1", "1267650600228229401496703205376", 10, nullptr},
        {'+', "0.1", "0.2", 30, "0.3"},
        {'+', "123456", "0.001", 5, nullptr},
        {'-', "1000000", "0.5", 7, "999999.5"},
        {'*', "1.5", "1.5", 3, "2.25"},
        {'*', "1.5", "1.5", 2, nullptr},
        {'*', "100000000000000000000", "0.00000000000000000003", 1, "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + c.op + c.b);
        const Ball a = exact(c.a);
        const Ball b = exact(c.b);
        const Precision p{c.digits};
        const Ball r = c.op == '+'   ? add(a, b, p)
                       : c.op == '-' ? sub(a, b, p)
                       : c.op == '*' ? mul(a, b, p)
                                     : div(a, b, p);
        EXPECT_EQ(r.isExact(), c.result != nullptr);
        if (c.result != nullptr) {
            EXPECT_EQ(r.mid().toString(), c.result);
        }
    }
    const Ball third = div(exact("1"), exact("3"), Precision{30});
    EXPECT_EQ(third.mid().toString(), "0." + std::string(30, '3'));
    EXPECT_LE(third.radius().toDecimal(), dec("0.000000000000000000000000000001"));
}

// A tiny operand next to a large one widens the radius instead of being written out in full.
TEST(Ball, FarApartMagnitudes) {
    const Ball tiny(Decimal{BigInt(1), -80000}, Radius{1, -80010});
    const Ball sum = add(exact("1"), tiny, Precision{30});
    EXPECT_EQ(sum.mid().toString(), "1");
    EXPECT_TRUE(holds(sum, Decimal{BigInt(1), 0} + tiny.upper()));
    EXPECT_LE(sum.radius().toDecimal(), (Decimal{BigInt(2), -80000}));
    EXPECT_EQ(tiny.compareTo(Decimal{}), 1);
    EXPECT_EQ(tiny.compareTo(dec("1")), -1);
    EXPECT_EQ(neg(tiny).compareTo(dec("-1")), 1);
    EXPECT_EQ(tiny.sign(), 1);
    const Ball product = mul(tiny, exact("3"), Precision{30});
    EXPECT_TRUE(holds(product, tiny.upper() * dec("3")));
}

TEST(Ball, SignsAndComparisons) {
    EXPECT_EQ(Ball(dec("0.001"), Radius{2, -3}).sign(), std::nullopt);
    EXPECT_EQ(Ball(dec("-5"), Radius{1, 0}).sign(), -1);
    EXPECT_EQ(Ball().sign(), 0);
    EXPECT_EQ(Ball(Decimal{}, Radius{1, -50}).sign(), std::nullopt);
    const Ball a(dec("2.5"), Radius{1, -1});
    EXPECT_EQ(a.compareTo(dec("2.6")), std::nullopt);
    EXPECT_EQ(a.compareTo(dec("2.61")), -1);
    EXPECT_EQ(a.compareTo(dec("2.39")), 1);
    EXPECT_EQ(a.compareTo(dec("2.5")), std::nullopt);
    EXPECT_EQ(exact("2.5").compareTo(dec("2.50")), 0);
    EXPECT_EQ(Ball(dec("0.5"), Radius{6, -1}).compareTo(dec("100")), -1);
    EXPECT_EQ(Ball(dec("50"), Radius{6, 1}).compareTo(dec("0.5")), std::nullopt);
    EXPECT_EQ(a.lower().toString(), "2.4");
    EXPECT_EQ(a.upper().toString(), "2.6");
    EXPECT_EQ(Ball(dec("1.234"), Radius{5, -4}).accuracyPlaces(), 3);
    EXPECT_EQ(abs(Ball(dec("-3"), Radius{1, 0})).mid().toString(), "3");
}

TEST(Ball, DivisionByABallAroundZeroIsRefused) {
    EXPECT_THROW(div(exact("1"), Ball(), Precision{30}), std::domain_error);
    EXPECT_THROW(div(exact("1"), Ball(dec("0.001"), Radius{1, -3}), Precision{30}),
                 std::domain_error);
}

TEST(Ball, MagnitudeLimit) {
    const Ball big(Decimal{BigInt(1), 60000});
    EXPECT_THROW(mul(big, big, Precision{30}), std::range_error);
    EXPECT_THROW(div(big, Ball(Decimal{BigInt(1), -60000}), Precision{30}), std::range_error);
    EXPECT_NO_THROW(mul(big, Ball(Decimal{BigInt(1), 40000}), Precision{30}));
}

TEST(Ball, RoundingFollowsPrecisionAndRadius) {
    const Ball wide = roundedBall(dec("3.14159265358979323846"), Radius{1, -5}, Precision{100});
    EXPECT_EQ(wide.mid().toString(), "3.1415927");
    EXPECT_TRUE(holds(wide, dec("3.14159265358979323846")));
    const Ball narrow = roundedBall(dec("-3.14159265358979323846"), Radius{}, Precision{5});
    EXPECT_EQ(narrow.mid().toString(), "-3.1416");
    EXPECT_TRUE(holds(narrow, dec("-3.14159265358979323846")));
    EXPECT_EQ(toFixedPoint(dec("-2.71828"), 3).toString(), "-2718");
    EXPECT_EQ(toFixedPoint(dec("2.5"), 3).toString(), "2500");
    const Ball fixed = fixedPointBall(BigInt(31416), 4, 1, Precision{30});
    EXPECT_EQ(fixed.mid().toString(), "3.1416");
    EXPECT_TRUE(holds(fixed, dec("3.1415")) && holds(fixed, dec("3.1417")));
}

}  // namespace
}  // namespace kestrum::calc
