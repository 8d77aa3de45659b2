// atan of a ratio in [0, 1], which atan, atan2, asin and acos come down to. A short ratio of
// small whole numbers goes straight into the accelerated series (after atan(q) = pi/4 -
// atan((1 - q) / (1 + q)) for q > 0.42); a long one gives its leading digits to that series and
// the rest, atan((t - x) / (1 + t x)), chunk by chunk to the plain series.
#include <cmath>
#include <numeric>
#include <stdexcept>

#include "ball.h"
#include "function_kernels.h"
#include "series.h"

namespace kestrum::calc {

namespace {

constexpr std::int64_t kAtanFirstChunk = 3;
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

// atan(u / 10^position) for |u| / 10^position <= 10^-3: x * sum of terms with ratio
// -(2j - 1) x^2 / (2j + 1).
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

}  // namespace

// t = x0 + (t - x0): atan t = atan x0 + atan((t - x0) / (1 + t x0)), the quotient below
// 10^-position; each step's quotient is cut again at twice the position.
Fixed atanFixed(const Fixed& t) {
    const std::int64_t scale = t.scale;
    std::int64_t position = std::min(kAtanFirstChunk, scale);
    BigInt head = t.value.shiftedDown(static_cast<std::size_t>(scale - position));
    Fixed total =
        atanRatioFixed(head, BigInt::powerOfTen(static_cast<std::size_t>(position)), scale);
    total.error = roundedUp(total.error + t.error);
    Fixed rest{t.value, scale, 0};
    while (position < scale) {
        const Fixed x{head.shiftedUp(static_cast<std::size_t>(scale - position)), scale, 0};
        if (!head.isZero()) {
            const Fixed quotient =
                divide(subtract(rest, x), add(wholeFixed(BigInt(1), scale), multiply(rest, x)));
            total.error = roundedUp(total.error + quotient.error);  // atan is 1-Lipschitz
            rest = {quotient.value, scale, 0};
        }
        position = std::min(2 * position, scale);
        head = rest.value.shiftedDown(static_cast<std::size_t>(scale - position));
        if (!head.isZero()) {
            total = add(total, atanOfSmallChunk({head, position}, scale));
        }
    }
    return total;
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
