#include "ball.h"

#include <algorithm>
#include <compare>
#include <limits>
#include <stdexcept>
#include <utility>

namespace kestrum::calc {

namespace {

// Midpoints keep this many digits below their radius' leading digit at most: finer digits would
// be noise, and the rounding adds at most a thousandth of the radius.
constexpr std::int64_t kRadiusGuardDigits = 3;

void checkMagnitude(std::int64_t magnitude) {
    if (magnitude > kMaxMagnitude + 1) {
        throw std::range_error("value too large");
    }
}

// The ball rounded to `digits` significant digits when its midpoint is longer.
Ball trimmedOperand(const Ball& a, std::int64_t digits) {
    if (static_cast<std::int64_t>(a.mid().coefficient.digitCount()) <= digits) {
        return a;
    }
    RoundedDecimal rounded = roundToDigits(a.mid(), digits);
    return Ball(std::move(rounded.value), a.radius() + rounded.error);
}

// A lower bound of |mid| - radius, which is positive for a ball that excludes zero. A radius
// below one unit of the nine-digit bound of |mid| takes that unit off it, which avoids aligning
// the radius with a long midpoint.
Radius distanceFromZeroBelow(const Ball& b) {
    const Radius low = Radius::below(b.mid());
    if (b.radius().isZero()) {
        return low;
    }
    if (b.radius().magnitude() < low.exponent) {
        return {low.mantissa - 1, low.exponent};
    }
    return Radius::below(abs(b.mid()) - b.radius().toDecimal());
}

}  // namespace

Ball::Ball(Decimal mid, Radius radius)
    : mid_(std::move(mid)), radius_(Radius::above(radius.mantissa, radius.exponent)) {}

Ball Ball::fromInteger(std::int64_t v) {
    return Ball(Decimal{BigInt(v), 0});
}

Decimal Ball::lower() const {
    return mid_ - radius_.toDecimal();
}

Decimal Ball::upper() const {
    return mid_ + radius_.toDecimal();
}

std::optional<int> Ball::sign() const {
    if (isExact() || abs(mid_) > radius_.toDecimal()) {
        return mid_.sign();
    }
    return std::nullopt;
}

// When v and the midpoint are two or more orders of magnitude apart, their distance is at least
// 0.09 of the larger one's power of ten, which often settles the matter without aligning them.
std::optional<int> Ball::compareTo(const Decimal& v) const {
    const auto ordering = mid_ <=> v;
    const int order = std::is_lt(ordering) ? -1 : (std::is_gt(ordering) ? 1 : 0);
    if (isExact()) {
        return order;
    }
    if (order == 0) {
        return std::nullopt;
    }
    const Decimal r = radius_.toDecimal();
    if (mid_.isZero() || v.isZero()) {
        return abs(mid_.isZero() ? v : mid_) > r ? std::optional<int>(order) : std::nullopt;
    }
    const std::int64_t midMagnitude = *mid_.magnitude();
    const std::int64_t vMagnitude = *v.magnitude();
    const std::int64_t high = std::max(midMagnitude, vMagnitude);
    if (high - std::min(midMagnitude, vMagnitude) >= 2 && r < Decimal{BigInt(9), high - 2}) {
        return order;
    }
    return abs(mid_ - v) > r ? std::optional<int>(order) : std::nullopt;
}

std::int64_t Ball::accuracyPlaces() const {
    if (isExact()) {
        return std::numeric_limits<std::int64_t>::max() / 4;
    }
    return -radius_.magnitude();
}

Ball roundedBall(const Decimal& mid, Radius radius, Precision p) {
    if (mid.isZero()) {
        checkMagnitude(radius.magnitude());
        return Ball(Decimal{}, radius);
    }
    std::int64_t cut = *mid.magnitude() - p.digits;
    if (!radius.isZero()) {
        cut = std::max(cut, radius.magnitude() - kRadiusGuardDigits);
    }
    RoundedDecimal rounded = roundToExponent(mid, cut);
    radius = radius + rounded.error;
    if (!rounded.value.isZero()) {
        checkMagnitude(*rounded.value.magnitude());
    }
    if (!radius.isZero()) {
        checkMagnitude(radius.magnitude());
    }
    return Ball(std::move(rounded.value), radius);
}

Ball fixedPointBall(const BigInt& value, std::int64_t scale, std::uint64_t errorUnits,
                    Precision p) {
    return roundedBall(Decimal{value, -scale}, Radius::above(errorUnits, -scale), p);
}

BigInt toFixedPoint(const Decimal& d, std::int64_t scale) {
    const std::int64_t exponent = d.exponent + scale;
    if (exponent >= 0) {
        return d.coefficient.shiftedUp(static_cast<std::size_t>(exponent));
    }
    return roundToExponent(Decimal{d.coefficient, exponent}, 0).value.coefficient;
}

Ball add(const Ball& a, const Ball& b, Precision p) {
    const Radius radius = a.radius() + b.radius();
    if (a.mid().isZero() || b.mid().isZero()) {
        return roundedBall(a.mid().isZero() ? b.mid() : a.mid(), radius, p);
    }
    // An operand wholly below the other's last kept digit only widens the radius: its digits
    // would be cut anyway, and aligning them could mean writing out long runs of zeros.
    const std::int64_t magnitudeA = *a.mid().magnitude();
    const std::int64_t magnitudeB = *b.mid().magnitude();
    if (magnitudeB < magnitudeA - p.digits - 2) {
        return roundedBall(a.mid(), radius + Radius::above(b.mid()), p);
    }
    if (magnitudeA < magnitudeB - p.digits - 2) {
        return roundedBall(b.mid(), radius + Radius::above(a.mid()), p);
    }
    return roundedBall(a.mid() + b.mid(), radius, p);
}

Ball sub(const Ball& a, const Ball& b, Precision p) {
    return add(a, neg(b), p);
}

// |xy - ab| <= |a| rb + |b| ra + ra rb for x within ra of a and y within rb of b. Operands longer
// than the precision needs are rounded first (into their radius), which keeps the product short.
Ball mul(const Ball& a, const Ball& b, Precision p) {
    const Ball x = trimmedOperand(a, p.digits + kRadiusGuardDigits);
    const Ball y = trimmedOperand(b, p.digits + kRadiusGuardDigits);
    const Radius radius = Radius::above(x.mid()) * y.radius() +
                          Radius::above(y.mid()) * x.radius() + x.radius() * y.radius();
    return roundedBall(x.mid() * y.mid(), radius, p);
}

// |x/y - a/b| <= (ra + |a/b| rb) / (|b| - rb) for x within ra of a and y within rb of b. The
// midpoints' quotient is taken to two digits beyond the precision; when it comes out exact
// (6/2, 1/4) it stays exact as far as the precision allows.
Ball div(const Ball& a, const Ball& b, Precision p) {
    if (b.sign().value_or(0) == 0) {
        throw std::domain_error("division by a ball that holds zero");
    }
    const std::int64_t digits = p.digits + kRadiusGuardDigits;
    const Ball x = a.isExact() ? a : trimmedOperand(a, digits);
    const Ball y = b.isExact() ? b : trimmedOperand(b, digits);
    const auto lengthX = static_cast<std::int64_t>(x.mid().coefficient.digitCount());
    const auto lengthY = static_cast<std::int64_t>(y.mid().coefficient.digitCount());
    const std::int64_t shift = p.digits + 2 + lengthY - lengthX;
    const BigInt::DivMod division =
        shift >= 0
            ? BigInt::divMod(x.mid().coefficient.shiftedUp(static_cast<std::size_t>(shift)),
                             y.mid().coefficient)
            : BigInt::divMod(x.mid().coefficient,
                             y.mid().coefficient.shiftedUp(static_cast<std::size_t>(-shift)));
    const Decimal quotient{division.quotient, x.mid().exponent - y.mid().exponent - shift};
    Radius radius;
    if (!division.remainder.isZero()) {
        radius = Radius::above(1, quotient.exponent);
    }
    if (!x.isExact() || !y.isExact()) {
        const Radius quotientBound = Radius::above(quotient) + radius;
        const Radius spread = x.radius() + quotientBound * y.radius();
        radius = radius + quotientAbove(spread, distanceFromZeroBelow(y));
    }
    return roundedBall(quotient, radius, p);
}

Ball neg(const Ball& a) {
    return Ball(-a.mid(), a.radius());
}

Ball abs(const Ball& a) {
    return Ball(abs(a.mid()), a.radius());
}

}  // namespace kestrum::calc
