#include "fixed_point.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

namespace kestrum::calc {

namespace {

constexpr double kLimbBase = 1e18;

std::size_t toSize(std::int64_t n) {
    return static_cast<std::size_t>(n);
}

}  // namespace

double roundedUp(double units) {
    return units * (1 + 1e-12) + 1e-300;
}

double log10Abs(const BigInt& v) {
    const auto& limbs = v.limbs();
    if (limbs.empty()) {
        return -std::numeric_limits<double>::infinity();
    }
    const std::size_t n = limbs.size();
    double top = static_cast<double>(limbs[n - 1]);
    if (n >= 2) {
        top = top * kLimbBase + static_cast<double>(limbs[n - 2]);
    }
    const double skipped = n >= 2 ? static_cast<double>(n - 2) : 0.0;
    return std::log10(top) + 18 * skipped;
}

double log10MagnitudeAbove(const Fixed& x) {
    // |value| + error <= 2 max(|value|, error)
    const double units = std::max(log10Abs(x.value), std::log10(x.error));
    return units + std::log10(2.0) + 1e-12 - static_cast<double>(x.scale);
}

double magnitudeAbove(const Fixed& x) {
    return std::max(std::pow(10.0, log10MagnitudeAbove(x)), 1e-300);
}

Fixed fixedFromDecimal(const Decimal& d, std::int64_t scale) {
    const bool exact = d.exponent + scale >= 0;
    return {toFixedPoint(d, scale), scale, exact ? 0.0 : 0.5};
}

Fixed rescaled(const Fixed& x, std::int64_t scale) {
    if (scale >= x.scale) {
        const double factor = std::pow(10.0, static_cast<double>(scale - x.scale));
        return {x.value.shiftedUp(toSize(scale - x.scale)), scale, roundedUp(x.error * factor)};
    }
    const double factor = std::pow(10.0, static_cast<double>(scale - x.scale));
    return {x.value.shiftedDown(toSize(x.scale - scale)), scale, roundedUp(x.error * factor + 1)};
}

// |ab - AB| <= |a| eB + |b| eA + eA eB in units, plus one for the truncation. Against a short
// factor the other one's low digits do not count: with |b| < 10^(db - scale), dropping the k low
// digits of a (truncated toward zero) moves the product by under 10^(k + db - scale) units, so
// each factor loses as many digits as keeps that at a hundredth of a unit.
Fixed multiply(const Fixed& a, const Fixed& b) {
    const double ulp = std::pow(10.0, -static_cast<double>(a.scale));
    double error =
        magnitudeAbove(a) * b.error + magnitudeAbove(b) * a.error + a.error * b.error * ulp + 1;
    const auto da = static_cast<std::int64_t>(a.value.digitCount());
    const auto db = static_cast<std::int64_t>(b.value.digitCount());
    const std::int64_t dropA = std::max<std::int64_t>(0, a.scale - db - 2);
    const std::int64_t dropB = std::max<std::int64_t>(0, a.scale - da - 2);
    if (dropA + dropB == 0 || dropA + dropB > a.scale) {
        return {(a.value * b.value).shiftedDown(toSize(a.scale)), a.scale, roundedUp(error)};
    }
    // |a b - a' b'| <= |a - a'| |b| + |a'| |b - b'|, |a'| <= |a|
    const auto droppedUnits = [&a](std::int64_t drop, std::int64_t otherDigits) {
        return drop == 0 ? 0.0 : std::pow(10.0, static_cast<double>(drop + otherDigits - a.scale));
    };
    error += droppedUnits(dropA, db) + droppedUnits(dropB, da);
    const BigInt product = a.value.shiftedDown(toSize(dropA)) * b.value.shiftedDown(toSize(dropB));
    return {product.shiftedDown(toSize(a.scale - dropA - dropB)), a.scale, roundedUp(error)};
}

// |a/b - A/B| <= (eA + |a/b| eB) / (|B| - eB) in units, plus one for the truncation.
Fixed divide(const Fixed& a, const Fixed& b) {
    const double log10B = log10Abs(b.value);
    const double relativeError = std::pow(10.0, std::log10(b.error) - log10B);
    const double divisorBelow =
        std::pow(10.0, log10B - static_cast<double>(b.scale) - 1e-12) * (1 - relativeError - 1e-12);
    if (!(divisorBelow > 0)) {
        throw std::domain_error("fixed-point division by a value that may be zero");
    }
    const BigInt quotient = BigInt::divMod(a.value.shiftedUp(toSize(a.scale)), b.value).quotient;
    const double quotientAbove = (magnitudeAbove(a) / divisorBelow) * (1 + 1e-12);
    const double error = (a.error + quotientAbove * b.error) / divisorBelow + 1;
    return {quotient, a.scale, roundedUp(error)};
}

Fixed add(const Fixed& a, const Fixed& b) {
    return {a.value + b.value, a.scale, roundedUp(a.error + b.error)};
}

Fixed subtract(const Fixed& a, const Fixed& b) {
    return {a.value - b.value, a.scale, roundedUp(a.error + b.error)};
}

Fixed negated(Fixed x) {
    x.value = -x.value;
    return x;
}

Fixed ratio(const BigInt& num, const BigInt& den, std::int64_t scale) {
    return {BigInt::divMod(num.shiftedUp(toSize(scale)), den).quotient, scale, 1.0};
}

Fixed timesWhole(const Fixed& x, std::int64_t k) {
    const double factor = std::fabs(static_cast<double>(k));
    return {x.value * BigInt(k), x.scale, roundedUp(x.error * factor)};
}

Fixed wholeFixed(const BigInt& n, std::int64_t scale) {
    return {n.shiftedUp(toSize(scale)), scale, 0.0};
}

Ball fixedBall(const Fixed& x, Precision p) {
    const double units = std::ceil(roundedUp(x.error));
    if (units >= 1e18) {
        // An error this large only comes with a useless result; keep the bound representable.
        const auto shift = static_cast<std::int64_t>(std::ceil(std::log10(units))) - 17;
        return fixedBall(rescaled(x, x.scale - shift), p);
    }
    return fixedPointBall(x.value, x.scale, static_cast<std::uint64_t>(units), p);
}

Ball widened(const Ball& b, const Radius& extra, Precision p) {
    if (extra.isZero()) {
        return b;
    }
    return roundedBall(b.mid(), b.radius() + extra, p);
}

Radius radiusAbove(double v) {
    if (!(v > 0)) {
        return {};
    }
    const auto exponent = static_cast<std::int64_t>(std::floor(std::log10(v))) - 8;
    const double mantissa = std::ceil(roundedUp(v / std::pow(10.0, static_cast<double>(exponent))));
    return Radius::above(static_cast<std::uint64_t>(mantissa) + 1, exponent);
}

}  // namespace kestrum::calc
