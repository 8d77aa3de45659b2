#include "fixed_point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "decimal_support.h"

namespace kestrum::calc {
namespace {

using test::randomDigits;

// A product with a short factor drops the other factor's low digits: it stays within its error
// bound of the exact product, taken 30 digits finer.
TEST(FixedPoint, ProductWithAShortFactorKeepsItsBound) {
    const struct {
        std::size_t aDigits;
        std::size_t bDigits;
        bool negative;
    } cases[] = {
        {2000, 2000, false},  // nothing to drop
        {2000, 1200, true},   // a loses 798 digits
        {2000, 30, false},    // b far below a unit's worth of a
        {900, 700, true},     // both short: a and b both lose digits
        {2000, 1, false},
    };
    const std::int64_t scale = 2000;
    std::mt19937_64 random(11);
    for (const auto& c : cases) {
        const Fixed a{randomDigits(random, c.aDigits, c.negative), scale, 0};
        const Fixed b{randomDigits(random, c.bDigits, false), scale, 0};
        const Fixed product = multiply(a, b);
        const BigInt exact = (a.value * b.value).shiftedDown(static_cast<std::size_t>(scale - 30));
        const BigInt gap = (product.value.shiftedUp(30) - exact).abs();
        const BigInt allowed =
            BigInt(static_cast<std::int64_t>(std::ceil(product.error * 1e6))).shiftedUp(24) +
            BigInt(1);
        EXPECT_LE(gap, allowed) << c.aDigits << " x " << c.bDigits;
        EXPECT_LE(product.error, 1.05);
    }
}

}  // namespace
}  // namespace kestrum::calc
