// atan, atan2, asin and acos on balls: the angle at the midpoint from atan of a ratio in [0, 1]
// and its complement, widened by how far the argument's radius can move it. Near +-1, where asin
// and acos grow steep, a wide ball is mapped through its two ends instead (both are monotone).
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "ball.h"
#include "function_kernels.h"

namespace kestrum::calc {

namespace {

Fixed halfPiFixed(std::int64_t scale) {
    const Fixed pi = piFixed(scale + 1);
    return rescaled({pi.value.dividedByWord(2), scale + 1, roundedUp(pi.error / 2 + 1)}, scale);
}

// The angle in [0, pi/2] of the point (x, y) for x, y >= 0, not both zero.
Fixed angleOfRatio(const BigInt& y, const BigInt& x, std::int64_t scale) {
    if (y <= x) {
        return atanRatioFixed(y, x, scale);
    }
    return subtract(halfPiFixed(scale), atanRatioFixed(x, y, scale));
}

Fixed angleOfFixed(const Fixed& y, const Fixed& x) {
    if (y.value.isZero()) {
        return {BigInt(0), y.scale, y.error};
    }
    if (y.value <= x.value) {
        return angleOfPoint(x, y);
    }
    return subtract(halfPiFixed(y.scale), angleOfPoint(y, x));
}

// |cy| 10^ey / |cx| 10^ex as a ratio of whole numbers.
struct WholeRatio {
    BigInt num;
    BigInt den;
};

WholeRatio wholeRatio(const Decimal& y, const Decimal& x) {
    const std::int64_t shift = y.exponent - x.exponent;
    const BigInt cy = y.coefficient.abs();
    const BigInt cx = x.coefficient.abs();
    if (shift >= 0) {
        return {cy.shiftedUp(static_cast<std::size_t>(shift)), cx};
    }
    return {cy, cx.shiftedUp(static_cast<std::size_t>(-shift))};
}

std::int64_t leadingZeros(const Decimal& d) {
    return d.isZero() ? 0 : std::max<std::int64_t>(0, -*d.magnitude());
}

std::int64_t workingScale(Precision p, std::int64_t extra) {
    return p.digits + kFunctionGuardDigits + extra;
}

Radius sqrtBelow(Radius r) {
    std::uint64_t mantissa = r.mantissa;
    std::int64_t exponent = r.exponent;
    while (mantissa < 100'000'000) {
        mantissa *= 100;
        exponent -= 2;
    }
    if (exponent % 2 != 0) {
        mantissa /= 10;  // stays a lower bound
        exponent += 1;
    }
    const auto root = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(mantissa))) - 1;
    return {root, exponent / 2};
}

// The ball spanning [low - lowError, high + highError].
Ball spanBall(const Fixed& low, const Fixed& high, Precision p) {
    const Decimal half{BigInt(5), -1};
    const Decimal lower =
        Decimal{low.value, -low.scale} -
        Decimal{BigInt(static_cast<std::int64_t>(std::ceil(low.error))), -low.scale};
    const Decimal upper =
        Decimal{high.value, -high.scale} +
        Decimal{BigInt(static_cast<std::int64_t>(std::ceil(high.error))), -high.scale};
    return roundedBall((lower + upper) * half, Radius::above((upper - lower) * half), p);
}

// asin or acos of m in [-1, 1]: with c = sqrt(1 - m^2), asin m = angle of (c, |m|) with m's sign,
// acos m = angle of (|m|, c), or pi less it for m < 0.
Fixed arcAt(const Decimal& m, Precision p, bool sine) {
    const Decimal one{BigInt(1), 0};
    const Decimal a = abs(m);
    const std::int64_t scale = workingScale(p, leadingZeros(a) + leadingZeros(one - a) / 2 + 1);
    const Fixed c{toFixedPoint(one - m * m, 2 * scale).isqrt(), scale, 2};
    const Fixed aFixed = fixedFromDecimal(a, scale);
    if (sine) {
        const Fixed angle = angleOfFixed(aFixed, c);
        return m.sign() < 0 ? negated(angle) : angle;
    }
    const Fixed angle = angleOfFixed(c, aFixed);
    return m.sign() < 0 ? subtract(rescaled(piFixed(scale), scale), angle) : angle;
}

Ball arcBall(const Ball& a, Precision p, bool sine) {
    const Decimal& m = a.mid();
    if (a.isExact()) {
        if (sine ? m.isZero() : m == Decimal{BigInt(1), 0}) {
            return Ball::fromInteger(0);
        }
        return fixedBall(arcAt(m, p, sine), p);
    }
    const Decimal one{BigInt(1), 0};
    const Decimal distance = one - abs(m);  // from the nearer end of the domain
    const Decimal radius = a.radius().toDecimal();
    if (radius + radius <= distance) {
        // |f'| <= 1 / sqrt(1 - x^2) <= 1 / sqrt(distance / 2) over the ball
        const Radius slope = sqrtBelow(Radius::below(distance * Decimal{BigInt(5), -1}));
        return widened(fixedBall(arcAt(m, p, sine), p), quotientAbove(a.radius(), slope), p);
    }
    const Decimal low = std::max(a.lower(), -one);
    const Decimal high = std::min(a.upper(), one);
    const Fixed atLow = arcAt(low, p, sine);
    const Fixed atHigh = arcAt(high, p, sine);
    return sine ? spanBall(atLow, atHigh, p) : spanBall(atHigh, atLow, p);
}

}  // namespace

Ball atan(const Ball& a, Precision p) {
    const Decimal& m = a.mid();
    if (m.isZero()) {
        return widened(Ball::fromInteger(0), a.radius(), p);
    }
    const WholeRatio r = wholeRatio(m, Decimal{BigInt(1), 0});
    const Fixed angle = angleOfRatio(r.num, r.den, workingScale(p, leadingZeros(m)));
    const Ball result = fixedBall(m.sign() < 0 ? negated(angle) : angle, p);
    return widened(result, a.radius(), p);  // |atan'| <= 1
}

Ball atan2(const Ball& y, const Ball& x, Precision p) {
    const Decimal& ym = y.mid();
    const Decimal& xm = x.mid();
    if (y.isExact() && ym.isZero()) {
        if (x.isExact() && xm.isZero()) {
            throw std::domain_error("atan2(0, 0)");
        }
        if (x.sign() == 1) {
            return Ball::fromInteger(0);
        }
    }
    // Nearest distance of the box of points from the origin, at least along one axis.
    const Decimal zero{};
    const Decimal reach =
        std::max(abs(xm) - x.radius().toDecimal(), abs(ym) - y.radius().toDecimal());
    const bool acrossTheCut = !y.sign().has_value() && x.lower() < zero;
    if (reach <= zero || acrossTheCut) {
        return Ball(Decimal{}, Radius{4, 0});  // every angle in [-pi, pi]
    }
    const std::int64_t extra = xm.sign() > 0 && !ym.isZero()
                                   ? std::max<std::int64_t>(0, *xm.magnitude() - *ym.magnitude())
                                   : 0;
    const std::int64_t scale = workingScale(p, extra);
    const WholeRatio r = wholeRatio(ym, xm);
    Fixed angle = angleOfRatio(r.num, r.den, scale);
    if (xm.sign() < 0) {
        angle = subtract(piFixed(scale), angle);
    }
    if (ym.sign() < 0) {
        angle = negated(angle);
    }
    const Ball result = fixedBall(angle, p);
    if (x.isExact() && y.isExact()) {
        return result;
    }
    // |grad atan2| = 1 / |(x, y)| <= 1 / reach over the box
    return widened(result, quotientAbove(x.radius() + y.radius(), Radius::below(reach)), p);
}

Ball asin(const Ball& a, Precision p) {
    return arcBall(a, p, true);
}

Ball acos(const Ball& a, Precision p) {
    return arcBall(a, p, false);
}

}  // namespace kestrum::calc
