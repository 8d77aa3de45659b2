#include <cstdint>
#include <stdexcept>

#include "ball.h"

namespace kestrum::calc {

namespace {

// Below this magnitude a power is given as zero with a radius of that size, which keeps the
// exponents of its digits far from overflow.
constexpr std::int64_t kTinyMagnitude = -1'000'000'000'000'000;

std::int64_t decimalDigits(std::uint64_t n) {
    std::int64_t digits = 1;
    for (; n >= 10; n /= 10) {
        ++digits;
    }
    return digits;
}

// a^n for n >= 1 by repeated squaring. Each product's rounding is relative, and a rounding in
// a^k grows at most n/k times on the way to a^n, so digits(n) guard digits cover them.
Ball positivePower(const Ball& a, std::uint64_t n, Precision p) {
    if (a.isExact() && a.mid().isZero()) {
        return a;
    }
    const std::int64_t magnitude = (Radius::above(a.mid()) + a.radius()).magnitude();
    const auto count = static_cast<std::int64_t>(n > 0x7FFF'FFFF'FFFF'FFFFULL ? 0 : n);
    if (magnitude >= 2 && (count == 0 || magnitude - 1 > (kMaxMagnitude + 1) / count)) {
        throw std::range_error("value too large");
    }
    if (magnitude < 0 && (count == 0 || magnitude < kTinyMagnitude / count)) {
        throw UnderflowError("power too small");
    }
    const Precision working{p.digits + decimalDigits(n) + 2};
    Ball result = Ball::fromInteger(1);
    Ball base = a;
    for (;;) {
        if ((n & 1U) != 0) {
            result = mul(result, base, working);
        }
        n >>= 1U;
        if (n == 0) {
            break;
        }
        base = mul(base, base, working);
    }
    return roundedBall(result.mid(), result.radius(), p);
}

}  // namespace

Ball powInteger(const Ball& a, std::int64_t n, Precision p) {
    if (n >= 0) {
        return n == 0 ? Ball::fromInteger(1) : positivePower(a, static_cast<std::uint64_t>(n), p);
    }
    const std::uint64_t magnitude = std::uint64_t{0} - static_cast<std::uint64_t>(n);
    try {
        const Ball power = positivePower(a, magnitude, Precision{p.digits + 3});
        return div(Ball::fromInteger(1), power, p);
    } catch (const UnderflowError&) {
        throw;
    } catch (const std::range_error&) {
        // a^|n| is beyond the largest magnitude but its reciprocal is small, not large: the
        // power of 1/a, whose relative error the power multiplies by |n|, so that many more
        // digits for the quotient.
        const Precision wider{p.digits + decimalDigits(magnitude) + 3};
        return positivePower(div(Ball::fromInteger(1), a, wider), magnitude, p);
    }
}

}  // namespace kestrum::calc
