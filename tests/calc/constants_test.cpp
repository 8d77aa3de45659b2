#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ball.h"

namespace kestrum::calc {
namespace {

// atan(1 / x) * 10^scale by its alternating series on whole numbers; each term's truncation
// adds at most one unit.
BigInt arctanOfReciprocal(std::uint64_t x, std::int64_t scale) {
    BigInt power = BigInt::powerOfTen(static_cast<std::size_t>(scale)).dividedByWord(x);
    BigInt sum = power;
    for (std::uint64_t k = 1; !power.isZero(); ++k) {
        power = power.dividedByWord(x * x);
        const BigInt term = power.dividedByWord(2 * k + 1);
        sum = k % 2 == 0 ? sum + term : sum - term;
    }
    return sum;
}

// Two independent values, with an error bound of 10^-(digits + 5): pi from Machin's formula
// and e from summing 1/k! term by term.
Decimal machinPi(std::int64_t digits) {
    const std::int64_t scale = digits + 12;
    const BigInt pi =
        arctanOfReciprocal(5, scale).timesWord(16) - arctanOfReciprocal(239, scale).timesWord(4);
    return {pi, -scale};
}

Decimal summedE(std::int64_t digits) {
    const std::int64_t scale = digits + 12;
    BigInt term = BigInt::powerOfTen(static_cast<std::size_t>(scale));
    BigInt sum = term;
    for (std::uint64_t k = 1; !term.isZero(); ++k) {
        term = term.dividedByWord(k);
        sum += term;
    }
    return {sum, -scale};
}

void expectNear(const Ball& ball, const Decimal& value, std::int64_t digits) {
    const Decimal slack{BigInt(1), -(digits + 5)};
    EXPECT_LE(ball.lower() - slack, value);
    EXPECT_GE(ball.upper() + slack, value);
    EXPECT_LE(ball.radius().toDecimal(), (Decimal{BigInt(1), 1 - digits}));
}

TEST(Constants, AgreeWithIndependentSums) {
    for (const std::int64_t digits : {3, 20, 57, 1000, 4000, 900}) {
        SCOPED_TRACE(digits);
        expectNear(pi(Precision{digits}), machinPi(digits), digits);
        expectNear(e(Precision{digits}), summedE(digits), digits);
    }
    // From about 50000 digits on the series' sums pass the largest magnitude a ball may have.
    for (const Ball& wide : {pi(Precision{60'000}), e(Precision{60'000})}) {
        EXPECT_LE(wide.radius().toDecimal(), (Decimal{BigInt(1), -59'990}));
    }
    EXPECT_EQ(pi(Precision{21}).mid().toString(), "3.14159265358979323846");
    EXPECT_EQ(e(Precision{21}).mid().toString(), "2.71828182845904523536");
}

TEST(Constants, ThreadsShareTheKeptValue) {
    const std::string expected = pi(Precision{40}).mid().toString();
    std::vector<std::string> seen(8);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < 4; ++i) {
        threads.emplace_back([&seen, i] {
            const Ball wide = pi(Precision{static_cast<std::int64_t>(5000 + 700 * i)});
            seen[i] = roundedBall(wide.mid(), {}, Precision{40}).mid().toString();
            seen[i + 4] = pi(Precision{40}).mid().toString();
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::string& s : seen) {
        EXPECT_EQ(s, expected);
    }
}

}  // namespace
}  // namespace kestrum::calc
