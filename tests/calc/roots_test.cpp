#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ball.h"
#include "decimal_support.h"

namespace kestrum::calc {
namespace {

using test::dec;
using test::exactPower;

// The ball holds the real n-th root of v: its bounds' powers bracket v.
void expectHoldsRoot(const Ball& r, const Decimal& v, std::int64_t n) {
    EXPECT_LE(exactPower(r.lower(), n), v) << r.mid().toString();
    EXPECT_GE(exactPower(r.upper(), n), v) << r.mid().toString();
}

void expectWithinPrecision(const Ball& r, Precision p) {
    EXPECT_LE(r.radius().toDecimal(), (Decimal{BigInt(1), *r.mid().magnitude() - p.digits + 1}));
}

TEST(Sqrt, ExactSquaresGiveExactRoots) {
    struct Case {
        const char* value;
        std::int64_t digits;
        const char* root;  // nullptr when not exact at the precision
    };
    const Case cases[] = {
        {"4", 30, "2"},
        {"0.25", 30, "0.5"},
        {"0", 30, "0"},
        {"152415787532388367501905199875019052100", 30, "12345678901234567890"},
        {"152415787532388367501905199875019052100", 10, nullptr},
        {"2", 30, nullptr},
        {"40", 30, nullptr},
        {"0.4", 30, nullptr},
        {"1.44", 2, "1.2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const Ball r = sqrt(Ball(dec(c.value)), Precision{c.digits});
        EXPECT_EQ(r.isExact(), c.root != nullptr);
        if (c.root != nullptr) {
            EXPECT_EQ(r.mid().toString(), c.root);
        } else {
            expectHoldsRoot(r, dec(c.value), 2);
            expectWithinPrecision(r, Precision{c.digits});
        }
    }
    const Ball tiny = sqrt(Ball(Decimal{BigInt(1), -80000}), Precision{30});
    EXPECT_TRUE(tiny.isExact());
    EXPECT_EQ(tiny.mid(), (Decimal{BigInt(1), -40000}));
}

// Lengths on both sides of the iteration's start, odd and even exponents, long arguments.
TEST(Sqrt, RootsHoldTheExactRootAtEveryPrecision) {
    std::mt19937_64 random(4);
    for (const std::int64_t digits : {1, 5, 11, 12, 13, 30, 31, 200, 3001}) {
        for (int round = 0; round < 6; ++round) {
            std::string text(static_cast<std::size_t>(
                                 1 + random() % (2 * static_cast<std::uint64_t>(digits) + 5)),
                             '0');
            for (char& d : text) {
                d = static_cast<char>('0' + random() % 10);
            }
            text.front() = static_cast<char>('1' + random() % 9);
            const Decimal v{BigInt::fromDigits(text),
                            static_cast<std::int64_t>(random() % 41) - 20};
            SCOPED_TRACE(v.toString() + " at " + std::to_string(digits));
            const Ball r = sqrt(Ball(v), Precision{digits});
            expectHoldsRoot(r, v, 2);
            if (!r.isExact()) {
                expectWithinPrecision(r, Precision{digits});
            }
        }
    }
}

TEST(Sqrt, BallsGiveTheRootsOfTheirBounds) {
    const Ball a(dec("2"), Radius{3, -10});
    const Ball r = sqrt(a, Precision{30});
    EXPECT_LE(r.lower() * r.lower(), a.lower());
    EXPECT_GE(r.upper() * r.upper(), a.upper());
    EXPECT_LE(r.radius().toDecimal(), dec("0.0000000003"));
    const Ball aroundZero(dec("0.0001"), Radius{2, -4});
    const Ball s = sqrt(aroundZero, Precision{30});
    EXPECT_GE(s.upper() * s.upper(), aroundZero.upper());
}

TEST(Root, ExactAndInexactRoots) {
    struct Case {
        const char* value;
        std::int64_t n;
        const char* root;  // nullptr when not exact
    };
    const Case cases[] = {
        {"27", 3, "3"},      {"-0.008", 3, "-0.2"}, {"1024", 10, "2"},
        {"2", 3, nullptr},   {"-2", 5, nullptr},    {"1000001", 3, nullptr},
        {"12.5", 1, "12.5"}, {"0.0001", 4, "0.1"},  {"31415926535", 7, nullptr},
    };
    const Precision p{40};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " root " + std::to_string(c.n));
        const Ball r = root(Ball(dec(c.value)), c.n, p);
        EXPECT_EQ(r.isExact(), c.root != nullptr);
        if (c.root != nullptr) {
            EXPECT_EQ(r.mid().toString(), c.root);
        } else if (dec(c.value).sign() > 0) {
            expectHoldsRoot(r, dec(c.value), c.n);
            expectWithinPrecision(r, p);
        } else {
            expectHoldsRoot(neg(r), -dec(c.value), c.n);
        }
    }
    const Ball a(dec("8"), Radius{1, -3});
    const Ball r = root(a, 3, Precision{30});
    EXPECT_LE(exactPower(r.lower(), 3), a.lower());
    EXPECT_GE(exactPower(r.upper(), 3), a.upper());
}

}  // namespace
}  // namespace kestrum::calc
