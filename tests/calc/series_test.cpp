#include "series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "decimal_support.h"

namespace kestrum::calc {
namespace {

using test::randomDigits;

// The quotient on shortened numbers stays within its error bound of the exact one, which comes
// from an exact division 30 digits further (its own truncation is one of those finer units).
TEST(Series, ShortenedQuotientKeepsItsBound) {
    const struct {
        std::size_t numDigits;
        std::size_t denDigits;
        std::int64_t denShift;
        std::int64_t scale;
        bool negative;
    } cases[] = {
        {3000, 2500, 600, 1000, false},  // long numbers, quotient about 10^500
        {2400, 2300, 2200, 1000, true},  // denominator shifted beyond the scale
        {1100, 1050, 50, 1000, false},   // nothing to drop
        {5000, 4990, 0, 1000, true},     // quotient near 10^10 units
        {900, 3000, 0, 3000, false},     // quotient far below a unit
    };
    std::mt19937_64 random(7);
    for (const auto& c : cases) {
        const BigInt num = randomDigits(random, c.numDigits, c.negative);
        const BigInt den = randomDigits(random, c.denDigits, false);
        const Fixed q = quotientFixed(num, den, c.denShift, c.scale);
        const std::int64_t finer = c.scale + 30 - c.denShift;
        const BigInt exact =
            finer >= 0
                ? BigInt::divMod(num.shiftedUp(static_cast<std::size_t>(finer)), den).quotient
                : BigInt::divMod(num, den.shiftedUp(static_cast<std::size_t>(-finer))).quotient;
        const BigInt gap = (q.value.shiftedUp(30) - exact).abs();
        const BigInt allowed =
            BigInt(static_cast<std::int64_t>(std::ceil(q.error * 1e6))).shiftedUp(24) + BigInt(1);
        EXPECT_LE(gap, allowed) << c.numDigits << "/" << c.denDigits;
        EXPECT_LE(q.error, 1.05);
    }
}

}  // namespace
}  // namespace kestrum::calc
