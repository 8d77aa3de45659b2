// exp and ln of decimals with few digits, by series on small whole numbers only: no long
// argument ever reaches a chunked series. exp(m) sums its series on m itself (and divides for a
// negative m); ln(m) writes m as 2^i 10^k (c / d) with c / d near 1 and sums the series of
// atanh((c - d) / (c + d)).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <stdexcept>

#include "function_kernels.h"
#include "series.h"

namespace kestrum::calc {

namespace {

// Coefficients up to this many digits count as short.
constexpr std::size_t kShortDigits = 15;
// exp's direct series wins over reducing by multiples of ln 10 while the argument stays below a
// fortieth of the digits (measured; at least up to 25); past 600 its values and error bounds
// would leave the range of doubles.
constexpr double kDirectExpDigitsPerUnit = 40;
constexpr double kDirectExpFloor = 25;
constexpr double kDirectExpLimit = 600;
// ln tries d = 2^a 5^b 10^t for a, b up to this.
constexpr int kLogFactorLimit = 12;

std::int64_t digitsOf(std::int64_t v) {
    return static_cast<std::int64_t>(BigInt(v).digitCount());
}

// atanh(u / v) for 0 < |u| < v: (u / v) * sum (u^2 / v^2)^k / (2k + 1), whose ratio
// (2j - 1) u^2 / ((2j + 1) v^2) stays below u^2 / v^2.
Fixed atanhOfRatio(std::int64_t u, std::int64_t v, std::int64_t scale) {
    const BigInt uSquared = BigInt(u) * BigInt(u);
    const BigInt vSquared = BigInt(v) * BigInt(v);
    const double log10Ratio =
        2 * (std::log10(std::fabs(static_cast<double>(u))) - std::log10(static_cast<double>(v)));
    const RatioSeries series{
        [&uSquared](std::int64_t j) { return BigInt(2 * j - 1) * uSquared; },
        [&vSquared](std::int64_t j) { return BigInt(2 * j + 1) * vSquared; },
        0,
        [=](std::int64_t) { return log10Ratio; },
    };
    const Fixed sum = sumSeries(series, scale);
    return {BigInt::divMod(sum.value * BigInt(u), BigInt(v)).quotient, scale,
            roundedUp(sum.error + 1)};
}

// c / d = A / B with d = 2^a 5^b 10^t, and the atanh argument (A - B) / (A + B) in lowest terms.
struct LogSplit {
    std::int64_t twos = 0;   // a
    std::int64_t fives = 0;  // b
    std::int64_t tens = 0;   // t
    std::int64_t u = 0;      // A - B over the common factor
    std::int64_t v = 1;      // A + B over it
};

// Work of the atanh series for u / v, in digits of its products: terms times digits per term.
double seriesWork(const LogSplit& s, std::int64_t scale) {
    if (s.u == 0) {
        return 0;
    }
    const double logU = std::log10(std::fabs(static_cast<double>(s.u)));
    const double logV = std::log10(static_cast<double>(s.v));
    const double terms = static_cast<double>(scale) / (2 * (logV - logU));
    return terms * (2 * (logU + logV) + 2 * std::log10(2 * terms + 2));
}

// The split of c whose series costs least; A and B stay below 10^18.
LogSplit bestLogSplit(std::int64_t c, std::int64_t scale) {
    LogSplit best;
    double bestWork = -1;
    const double logC = std::log10(static_cast<double>(c));
    for (int a = 0; a <= kLogFactorLimit; ++a) {
        for (int b = 0; b <= kLogFactorLimit; ++b) {
            const double d = std::pow(2.0, a) * std::pow(5.0, b);
            const double gap = logC - std::log10(d);
            for (const double tPick : {std::floor(gap), std::floor(gap) + 1}) {
                const auto t = static_cast<std::int64_t>(tPick);
                const double aLog = logC + static_cast<double>(std::max<std::int64_t>(0, -t));
                const double bLog =
                    std::log10(d) + static_cast<double>(std::max<std::int64_t>(0, t));
                if (aLog >= 17.5 || bLog >= 17.5) {
                    continue;
                }
                const std::int64_t bigA =
                    c * BigInt::powerOfTen(static_cast<std::size_t>(std::max<std::int64_t>(0, -t)))
                            .toInt64();
                const std::int64_t bigB =
                    std::llround(d) *
                    BigInt::powerOfTen(static_cast<std::size_t>(std::max<std::int64_t>(0, t)))
                        .toInt64();
                const std::int64_t common = std::gcd(bigA, bigB);
                const LogSplit s{a, b, t, (bigA - bigB) / common, (bigA + bigB) / common};
                if (2 * std::abs(s.u) > s.v) {
                    continue;  // the series' ratio must stay below 1/2
                }
                const double work = seriesWork(s, scale);
                if (bestWork < 0 || work < bestWork) {
                    best = s;
                    bestWork = work;
                }
            }
        }
    }
    return best;
}

// 1 / x at the scale for x >= 1. With X = x's value and e its error, |1/x - 1/X| <= e / (X (X -
// e)), worked out in logarithms: X and e may both pass the range of doubles.
Fixed reciprocalOfLarge(const Fixed& x, std::int64_t scale) {
    const BigInt one = BigInt::powerOfTen(static_cast<std::size_t>(scale + x.scale));
    const double log10X = log10Abs(x.value) - static_cast<double>(x.scale);
    const double log10E = std::log10(x.error) - static_cast<double>(x.scale);
    const double lowerFactor = 1 - std::pow(10.0, log10E - log10X) - 1e-12;
    if (!(lowerFactor > 0.5)) {
        throw std::logic_error("reciprocal of a value known too roughly");
    }
    const double units =
        std::pow(10.0, log10E - 2 * log10X + static_cast<double>(scale) + 1e-12) / lowerFactor;
    return {BigInt::divMod(one, x.value).quotient, scale, roundedUp(units + 1)};
}

}  // namespace

std::optional<Fixed> lnOfShortDecimal(const Decimal& m, std::int64_t scale) {
    const Decimal n = m.normalized();
    if (n.sign() <= 0 || n.coefficient.digitCount() > kShortDigits) {
        return std::nullopt;
    }
    const LogSplit s = bestLogSplit(n.coefficient.toInt64(), scale);
    // ln m = (a - b) ln 2 + (b + t + e) ln 10 + 2 atanh(u / v), with ln 5 = ln 10 - ln 2.
    const std::int64_t twos = s.twos - s.fives;
    const std::int64_t tens = s.fives + s.tens + n.exponent;
    const std::int64_t wide = scale + digitsOf(tens) + digitsOf(twos) + 2;
    Fixed value = add(timesWhole(ln2Fixed(wide), twos), timesWhole(ln10Fixed(wide), tens));
    value = rescaled(value, scale);
    if (s.u != 0) {
        value = add(value, timesWhole(atanhOfRatio(s.u, s.v, scale), 2));
    }
    return value;
}

std::optional<Fixed> expOfShortDecimal(const Decimal& m, std::int64_t scale) {
    const Decimal n = m.normalized();
    if (n.isZero() || n.coefficient.digitCount() > kShortDigits) {
        return std::nullopt;
    }
    const double log10Size = log10Abs(n.coefficient) + static_cast<double>(n.exponent);
    const double limit =
        std::min(kDirectExpLimit,
                 std::max(kDirectExpFloor, static_cast<double>(scale) / kDirectExpDigitsPerUnit));
    if (log10Size > std::log10(limit)) {
        return std::nullopt;
    }
    // The series of exp(|m|), ratio |c| 10^e / j.
    const BigInt numerator =
        n.exponent >= 0 ? n.coefficient.abs().shiftedUp(static_cast<std::size_t>(n.exponent))
                        : n.coefficient.abs();
    const std::int64_t shift = n.exponent >= 0 ? 0 : -n.exponent;
    const RatioSeries series{
        [&numerator](std::int64_t) { return numerator; },
        [](std::int64_t j) { return BigInt(j); },
        shift,
        [=](std::int64_t j) { return log10Size - std::log10(static_cast<double>(j)); },
    };
    Fixed sum = sumSeries(series, scale);
    if (n.sign() > 0) {
        return sum;
    }
    // exp(-|m|) = 1 / exp(|m|), at a scale that keeps the quotient's significant digits.
    const auto magnitude =
        static_cast<std::int64_t>(std::ceil(std::pow(10.0, log10Size) / std::log(10.0))) + 1;
    return reciprocalOfLarge(sum, scale + magnitude);
}

}  // namespace kestrum::calc
