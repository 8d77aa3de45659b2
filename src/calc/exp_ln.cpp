// exp and ln on balls. A short midpoint goes to the series on small whole numbers
// (short_arguments.cpp); for a long one exp takes out multiples of ln 10, which only move the
// decimal point, and sums the rest chunk by chunk, and ln takes out a power of ten and solves
// exp(z) = y by Newton's iteration.
#include <cmath>
#include <optional>
#include <stdexcept>
#include <vector>

#include "ball.h"
#include "function_kernels.h"
#include "series.h"

namespace kestrum::calc {

namespace {

// Digits of the first chunk of exp's argument; later chunks double in length.
constexpr std::int64_t kExpFirstChunk = 6;

// Beyond this size of the argument exp's result is out of range (or below every radius worth
// keeping, for a negative argument).
constexpr double kExpArgumentLimit = 240'000;
constexpr double kExpNegativeLimit = 1e17;

// exp(u / 10^position) by its series, with ratio u / (j * 10^position).
Fixed expOfChunk(const DigitChunk& chunk, std::int64_t scale) {
    const double log10U = log10Abs(chunk.digits);
    const auto position = static_cast<double>(chunk.position);
    const RatioSeries series{
        [&chunk](std::int64_t) { return chunk.digits; },
        [](std::int64_t j) { return BigInt(j); },
        chunk.position,
        [=](std::int64_t j) { return log10U - position - std::log10(static_cast<double>(j)); },
    };
    return sumSeries(series, scale);
}

// An approximation of a decimal's value as a double, for decimals of moderate size.
double approximate(const Decimal& d) {
    if (d.isZero()) {
        return 0;
    }
    const double log10Value = log10Abs(d.coefficient) + static_cast<double>(d.exponent);
    return d.sign() * std::pow(10.0, log10Value);
}

std::int64_t decimalDigits(std::int64_t v) {
    return static_cast<std::int64_t>(BigInt(v).digitCount());
}

// A bound of exp(r) - 1 for the radius r.
Radius expGrowthAbove(const Radius& r) {
    if (r.magnitude() <= 0) {  // r < 1: exp(r) - 1 <= r + r^2
        return r + r * r;
    }
    const double rValue =
        static_cast<double>(r.mantissa) * std::pow(10.0, static_cast<double>(r.exponent));
    const double log10Growth = rValue / std::log(10.0);
    return Radius::above(1, static_cast<std::int64_t>(std::ceil(log10Growth)) + 1);
}

// x / k for a whole k > 0, truncated (one more unit of error).
Fixed dividedByWhole(const Fixed& x, std::uint64_t k) {
    return {x.value.dividedByWord(k), x.scale, roundedUp(x.error / static_cast<double>(k) + 1)};
}

// exp(m) = 10^k exp(m - k ln 10) with |m - k ln 10| <= 1.2, the latter chunk by chunk.
Fixed expReduced(const Decimal& m, double approx, std::int64_t scale) {
    const std::int64_t k = std::fabs(approx) > 2 ? std::llround(approx / std::log(10.0)) : 0;
    Fixed r = fixedFromDecimal(m, scale);
    if (k != 0) {
        const std::int64_t wide = scale + decimalDigits(k) + 1;
        r = rescaled(subtract(fixedFromDecimal(m, wide), timesWhole(ln10Fixed(wide), k)), scale);
    }
    Fixed value = expFixed(r.value, scale);
    value.error = roundedUp(value.error + 7.5 * r.error);  // exp' <= e^2 < 7.5 near r
    value.scale -= k;                                      // times 10^k
    return value;
}

// ln(y 10^tens) = ln y + tens ln 10 for y in [0.3, 3.2), ln y by Newton's iteration.
Fixed lnOfLongDecimal(const Decimal& y, std::int64_t tens, std::int64_t scale) {
    Fixed value = lnFixed(fixedFromDecimal(y, scale));
    if (tens != 0) {
        const std::int64_t wider = scale + decimalDigits(tens) + 1;
        value = add(value, rescaled(timesWhole(ln10Fixed(wider), tens), scale));
    }
    return value;
}

}  // namespace

Fixed expFixed(const BigInt& x, std::int64_t scale) {
    Fixed product = wholeFixed(BigInt(1), scale);
    bool first = true;
    const BigInt one = BigInt::powerOfTen(static_cast<std::size_t>(scale));
    for (const DigitChunk& chunk : digitChunks(x, scale, kExpFirstChunk)) {
        Fixed factor = expOfChunk(chunk, scale);
        if (first) {
            product = std::move(factor);
            first = false;
            continue;
        }
        // product * exp(chunk) = product + product * (exp(chunk) - 1), where exp(chunk) - 1 is
        // short at the scale for the later chunks (the same number, the same error bound).
        const Fixed factorLessOne{factor.value - one, scale, factor.error};
        product = add(product, multiply(product, factorLessOne));
    }
    return product;
}

Fixed lnFixed(const Fixed& y) {
    const std::int64_t scale = y.scale;
    // The last step corrects to the fourth order: the iteration before it needs only a quarter
    // of the digits, and exp's argument there has no chunks beyond them.
    std::vector<std::int64_t> scales{scale, scale / 4 + 8};
    while (scales.back() > 24) {
        scales.push_back(scales.back() / 2 + 4);
    }
    const double start = std::log(std::pow(10.0, log10Abs(y.value) - static_cast<double>(scale)));
    Fixed z{BigInt(std::llround(start * 1e15)), 15, 0};
    // z + y exp(-z) - 1 doubles the correct digits of z.
    for (auto s = scales.rbegin(); s + 1 != scales.rend(); ++s) {
        const Fixed zs{rescaled(z, *s).value, *s, 0};
        const Fixed correction =
            subtract(multiply(rescaled(y, *s), expFixed(-zs.value, *s)), wholeFixed(BigInt(1), *s));
        z = {(zs.value + correction.value), *s, 0};
    }
    // The last step at full scale: ln y = z + ln(1 + t) for t = y exp(-z) - 1 exactly, and
    // ln(1 + t) = t - t^2/2 + t^3/3 - R with |R| <= (|t|^4 / 4) / (1 - |t|) <= |t|^4 / 2 for
    // |t| <= 1/2. t's error bound carries through the Fixed products.
    const Fixed zs{rescaled(z, scale).value, scale, 0};
    const Fixed t = subtract(multiply(y, expFixed(-zs.value, scale)), wholeFixed(BigInt(1), scale));
    const double log10T = log10MagnitudeAbove(t);
    if (!(log10T <= std::log10(0.5))) {
        throw std::logic_error("ln: Newton's iteration did not settle");
    }
    const Fixed square = multiply(t, t);
    const Fixed cube = multiply(square, t);
    Fixed result = add(zs, add(subtract(t, dividedByWhole(square, 2)), dividedByWhole(cube, 3)));
    const double log10Fourth = 4 * log10T + static_cast<double>(scale);
    result.error = roundedUp(result.error + std::pow(10.0, log10Fourth) / 2);
    return result;
}

Ball exp(const Ball& a, Precision p) {
    const Decimal& m = a.mid();
    if (a.isExact() && m.isZero()) {
        return Ball::fromInteger(1);
    }
    const double approx = approximate(m);
    if (approx > kExpArgumentLimit) {
        throw std::range_error("exp: result too large");
    }
    if (approx < -kExpNegativeLimit) {
        throw UnderflowError("exp: result too small");
    }
    const std::int64_t scale = p.digits + kFunctionGuardDigits;
    std::optional<Fixed> direct = expOfShortDecimal(m, scale);
    const Fixed value = direct ? std::move(*direct) : expReduced(m, approx, scale);
    Ball result = fixedBall(value, p);
    if (a.isExact()) {
        return result;
    }
    const Radius expAbove = Radius::above(Decimal{value.value.abs() + BigInt(2), -value.scale}) +
                            radiusAbove(value.error) * Radius::above(1, -value.scale);
    return widened(result, expAbove * expGrowthAbove(a.radius()), p);
}

Ball ln(const Ball& a, Precision p) {
    if (a.sign() != 1) {
        throw std::domain_error("ln of a value that may not be positive");
    }
    const Decimal m = a.mid().normalized();
    const std::int64_t scale = p.digits + kFunctionGuardDigits;
    Ball result;
    const BigInt& c = m.coefficient;
    const std::int64_t e = m.exponent;
    if (c == BigInt(1) && e == 0) {
        result = Ball::fromInteger(0);
    } else if (c == BigInt(1) || c == BigInt(2) || c == BigInt(5)) {
        // 10^e, 2 * 10^e, 5 * 10^e = 10^(e+1) / 2 from the cached constants.
        const std::int64_t wide = scale + decimalDigits(e) + 2;
        const std::int64_t tens = c == BigInt(5) ? e + 1 : e;
        Fixed value = timesWhole(ln10Fixed(wide), tens);
        if (c == BigInt(2)) {
            value = add(value, ln2Fixed(wide));
        } else if (c == BigInt(5)) {
            value = subtract(value, ln2Fixed(wide));
        }
        result = fixedBall(value, p);
    } else {
        // m = y * 10^tens with y in [0.3, 3.2).
        const double log10M = log10Abs(c) + static_cast<double>(e);
        const std::int64_t tens = std::llround(log10M);
        const Decimal y{c, e - tens};
        std::int64_t extra = 0;
        if (tens == 0) {
            const Decimal distance = y - Decimal{BigInt(1), 0};
            extra = std::max<std::int64_t>(0, -*distance.magnitude());
        }
        const std::int64_t wide = scale + extra;
        if (std::optional<Fixed> value = lnOfShortDecimal(m, wide)) {
            result = fixedBall(*value, p);
        } else {
            result = fixedBall(lnOfLongDecimal(y, tens, wide), p);
        }
    }
    if (a.isExact()) {
        return result;
    }
    // |ln x - ln m| <= radius / lower for every x in the ball.
    return widened(result, quotientAbove(a.radius(), Radius::below(a.lower())), p);
}

}  // namespace kestrum::calc
