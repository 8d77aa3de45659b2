// Balls: a real number known only to lie within a radius of a decimal midpoint. Every operation
// returns a ball that holds every exact result for points of its operands' balls, so a whole
// expression evaluated on balls brackets its exact value; with more working digits the balls
// shrink until the final rounding can be decided.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>

#include "decimal.h"

namespace kestrum::calc {

class Ball {
  public:
    Ball() = default;
    explicit Ball(Decimal mid, Radius radius = {});
    static Ball fromInteger(std::int64_t v);

    [[nodiscard]] const Decimal& mid() const { return mid_; }
    [[nodiscard]] const Radius& radius() const { return radius_; }
    [[nodiscard]] bool isExact() const { return radius_.mantissa == 0; }
    [[nodiscard]] Decimal lower() const;  // mid - radius, exact
    [[nodiscard]] Decimal upper() const;  // mid + radius, exact

    // The sign shared by every point of the ball: 1 or -1 when zero is outside it, 0 for the
    // exact zero, nothing when the ball holds zero and other numbers.
    [[nodiscard]] std::optional<int> sign() const;

    // -1 when the whole ball lies below v, 1 when above, 0 when it is exactly v, nothing when v
    // is inside a ball of some width.
    [[nodiscard]] std::optional<int> compareTo(const Decimal& v) const;

    // Digits the ball is good for: the position of its radius relative to the point (how many
    // fraction digits the radius leaves settled); large for exact balls.
    [[nodiscard]] std::int64_t accuracyPlaces() const;

  private:
    Decimal mid_;
    Radius radius_;
};

// Working precision: midpoints keep about `digits` significant digits (what is cut goes into the
// radius) and the functions compute to about that many significant digits, so a radius is a few
// units of the digits-th digit plus what the operands' radii carry over. The result of every
// operation holds the exact result for every point of its operands; + - * of exact balls stay
// exact while the result has no more than digits significant digits.
struct Precision {
    std::int64_t digits = 30;
};

// Results beyond 10^kMaxMagnitude in size (exp(10^6), 10^10^6 as a power) throw
// std::range_error rather than take minutes.
inline constexpr std::int64_t kMaxMagnitude = 100'000;

// Thrown for a nonzero result too small for a ball's exponents to bracket it away from zero
// (a power below 10^-(10^15), exp below 10^-(4 * 10^16)): a ball around zero would hide its sign.
class UnderflowError : public std::range_error {
  public:
    using std::range_error::range_error;
};

// The ball around an exact midpoint with a radius: the midpoint rounded to nearest at p.digits
// significant digits (and no finer than a few digits below the radius' leading digit), what the
// rounding changed added to the radius. Throws std::range_error beyond 10^kMaxMagnitude. The
// functions build their results with it.
Ball roundedBall(const Decimal& mid, Radius radius, Precision p);

// Fixed point for the functions' series: the ball (value +- errorUnits) * 10^-scale, rounded as
// by roundedBall; and d * 10^scale rounded to nearest (off by at most half a unit).
Ball fixedPointBall(const BigInt& value, std::int64_t scale, std::uint64_t errorUnits, Precision p);
BigInt toFixedPoint(const Decimal& d, std::int64_t scale);

Ball add(const Ball& a, const Ball& b, Precision p);
Ball sub(const Ball& a, const Ball& b, Precision p);
Ball mul(const Ball& a, const Ball& b, Precision p);
Ball neg(const Ball& a);
Ball abs(const Ball& a);
// Requires b.sign() to be 1 or -1 (throws std::domain_error otherwise). An exact quotient of
// exact operands stays exact.
Ball div(const Ball& a, const Ball& b, Precision p);

// Integer power a^n for a whole n (n < 0 requires a.sign() != 0 and divides).
Ball powInteger(const Ball& a, std::int64_t n, Precision p);

// The functions. Preconditions (the evaluator checks them on the ball first):
//   sqrt: a.sign() is 0 or 1;  root(a, n): n >= 1, a.sign() 0 or 1, or any sign for an odd n;
//   ln: a.sign() == 1;  asin, acos: the ball lies within [-1, 1];  atan2: not both exact zero.
// Exact results come out exact where they are cheap to recognise (sqrt and root of perfect
// powers, ln(1), exp(0), sin(0), cos(0), atan(0), ...).
Ball sqrt(const Ball& a, Precision p);
Ball root(const Ball& a, std::int64_t n, Precision p);
Ball exp(const Ball& a, Precision p);
Ball ln(const Ball& a, Precision p);
Ball sin(const Ball& a, Precision p);
Ball cos(const Ball& a, Precision p);
Ball tan(const Ball& a, Precision p);  // requires cos of the ball to exclude zero
Ball atan(const Ball& a, Precision p);
Ball asin(const Ball& a, Precision p);
Ball acos(const Ball& a, Precision p);
Ball atan2(const Ball& y, const Ball& x, Precision p);

// The constants, kept from call to call at the largest precision computed so far.
Ball pi(Precision p);
Ball e(Precision p);

}  // namespace kestrum::calc
