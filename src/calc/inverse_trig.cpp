// atan of a ratio in [0, 1], which atan, atan2, asin and acos come down to. A short ratio of
// small whole numbers goes straight into the accelerated series (after atan(q) = pi/4 -
// atan((1 - q) / (1 + q)) for q > 0.42); a long one, or a point (x, y), gives its leading digits
// to that series and the rest chunk by chunk to the plain series, turning the point back by
// each chunk's angle.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <utility>

#include "ball.h"
#include "function_kernels.h"
#include "series.h"

namespace kestrum::calc {

namespace {

constexpr std::int64_t kAtanFirstChunk = 2;
constexpr std::size_t kShortRatioDigits = 8;

// atan(a/b) = ab/(a^2 + b^2) * sum of terms with ratio 2j a^2 / ((2j + 1)(a^2 + b^2)), which
// stays below y = a^2 / (a^2 + b^2) <= 0.15 for a/b <= 0.42.
Fixed atanAccelerated(const BigInt& a, const BigInt& b, std::int64_t scale) {
    const BigInt aSquared = a * a;
    const BigInt norm = aSquared + b * b;
    const double log10Y = 2 * log10Abs(a) - log10Abs(norm);
    const RatioSeries series{
        [&aSquared](std::int64_t j) { return BigInt(2 * j) * aSquared; },
        [&norm](std::int64_t j) { return BigInt(2 * j + 1) * norm; },
        0,
        [=](std::int64_t) { return log10Y; },
    };
    const Fixed sum = sumSeries(series, scale);
    return {BigInt::divMod(sum.value * a * b, norm).quotient, scale, roundedUp(sum.error / 2 + 1)};
}

// atan(a/b) for 0 <= a <= b, both short.
Fixed atanOfShortRatio(const BigInt& a, const BigInt& b, std::int64_t scale) {
    if (a.isZero()) {
        return wholeFixed(BigInt(0), scale);
    }
    if (a * BigInt(100) <= b * BigInt(42)) {
        return atanAccelerated(a, b, scale);
    }
    Fixed quarterPi = piFixed(scale + 1);
    quarterPi = rescaled(
        {quarterPi.value.dividedByWord(4), scale + 1, roundedUp(quarterPi.error / 4 + 1)}, scale);
    return subtract(quarterPi, atanAccelerated(b - a, b + a, scale));
}

// atan(u / 10^position) for |u| / 10^position <= 0.1 (a chunk after the first turn): x * sum of
// terms with ratio -(2j - 1) x^2 / (2j + 1), each below x^2 <= 1/100.
Fixed atanOfSmallChunk(const DigitChunk& chunk, std::int64_t scale) {
    const BigInt square = chunk.digits * chunk.digits;
    const double log10X2 = 2 * (log10Abs(chunk.digits) - static_cast<double>(chunk.position));
    const RatioSeries series{
        [&square](std::int64_t j) { return -(BigInt(2 * j - 1) * square); },
        [](std::int64_t j) { return BigInt(2 * j + 1); },
        2 * chunk.position,
        [=](std::int64_t) { return log10X2; },
    };
    const Fixed sum = sumSeries(series, scale);
    return {(sum.value * chunk.digits).shiftedDown(static_cast<std::size_t>(chunk.position)), scale,
            roundedUp(sum.error + 1)};
}

std::int64_t smallGcd(const BigInt& a, const BigInt& b) {
    return std::gcd(a.toInt64(), b.toInt64());
}

// The reduced ratio when it is short enough for the series on whole numbers.
bool shortRatio(BigInt& a, BigInt& b) {
    if (a.digitCount() > 18 || b.digitCount() > 18) {
        return false;
    }
    const std::int64_t g = smallGcd(a, b);
    if (g > 1) {
        a = a.dividedByWord(static_cast<std::uint64_t>(g));
        b = b.dividedByWord(static_cast<std::uint64_t>(g));
    }
    return a.digitCount() + b.digitCount() <= kShortRatioDigits;
}

// y / x at the position (y * 10^position / x truncated) from the leading digits of both: an
// estimate, which the turning of the point does not need exact.
BigInt shortQuotient(const BigInt& y, const BigInt& x, std::int64_t position, std::int64_t scale) {
    const auto cut = static_cast<std::size_t>(std::max<std::int64_t>(0, scale - position - 10));
    const BigInt divisor = x.shiftedDown(cut);
    if (divisor.isZero()) {
        return BigInt::divMod(y.shiftedUp(static_cast<std::size_t>(position)), x).quotient;
    }
    return BigInt::divMod(y.shiftedDown(cut).shiftedUp(static_cast<std::size_t>(position)), divisor)
        .quotient;
}

}  // namespace

// The point is turned back by atan(h) for h = y / x cut to 2, 4, 8, ... digits:
// (x, y) -> (x + h y, y - h x) keeps the angle less atan(h) and needs products by the short h
// only. Once h takes all the digits, what is left of the angle is at most |y| / x, and the
// points' errors move it by at most (ex + ey) / x.
Fixed angleOfPoint(Fixed x, Fixed y) {
    const std::int64_t scale = x.scale;
    Fixed total = wholeFixed(BigInt(0), scale);
    bool first = true;
    for (std::int64_t position = std::min(kAtanFirstChunk, scale);;
         position = std::min(2 * position, scale)) {
        const BigInt head = shortQuotient(y.value, x.value, position, scale);
        if (!head.isZero()) {
            if (first) {
                total = atanRatioFixed(head, BigInt::powerOfTen(static_cast<std::size_t>(position)),
                                       scale);
            } else {
                total = add(total, atanOfSmallChunk({head, position}, scale));
            }
            const auto shift = static_cast<std::size_t>(position);
            const double h = std::pow(10.0, log10Abs(head) - static_cast<double>(position));
            Fixed turnedX{x.value + (y.value * head).shiftedDown(shift), scale,
                          roundedUp(x.error + h * y.error + 1)};
            Fixed turnedY{y.value - (x.value * head).shiftedDown(shift), scale,
                          roundedUp(y.error + h * x.error + 1)};
            x = std::move(turnedX);
            y = std::move(turnedY);
        }
        first = false;
        if (position == scale) {
            break;
        }
    }
    const double xBelow = std::pow(10.0, log10Abs(x.value) - 1e-12) - x.error;
    if (!(xBelow > 0)) {
        throw std::domain_error("angle of a point that may lie at the origin");
    }
    const double yAbove = std::pow(10.0, log10Abs(y.value)) + y.error;
    total.error = roundedUp(total.error + (yAbove + x.error + y.error) / xBelow * (1 + 1e-12) + 1);
    return total;
}

Fixed atanFixed(const Fixed& t) {
    return angleOfPoint(wholeFixed(BigInt(1), t.scale), t);
}

Fixed atanRatioFixed(const BigInt& num, const BigInt& den, std::int64_t scale) {
    BigInt a = num;
    BigInt b = den;
    if (shortRatio(a, b)) {
        return atanOfShortRatio(a, b, scale);
    }
    return atanFixed(ratio(num, den, scale));
}

}  // namespace kestrum::calc
