// The functions on exact fixed-point arguments, which the ball functions build on: each result
// comes at the argument's scale with a proven error bound.
#pragma once

#include <cstdint>
#include <optional>

#include "big_int.h"
#include "fixed_point.h"

namespace kestrum::calc {

// exp(x / 10^scale) for |x| / 10^scale <= 2: the argument's digit chunks each by their series,
// multiplied together.
Fixed expFixed(const BigInt& x, std::int64_t scale);

// ln(y) for y within [0.3, 3.4], by Newton's iteration on exp at doubling precision; the last
// step's correction also bounds the error.
Fixed lnFixed(const Fixed& y);

// exp(m) and ln(m) at the scale for a decimal m with few digits (exp: of moderate size, ln:
// positive), from series on small whole numbers; nothing for other decimals.
std::optional<Fixed> expOfShortDecimal(const Decimal& m, std::int64_t scale);
std::optional<Fixed> lnOfShortDecimal(const Decimal& m, std::int64_t scale);

// ln 2 and ln 10, kept from call to call at the largest scale asked for so far (thread-safe).
Fixed ln2Fixed(std::int64_t scale);
Fixed ln10Fixed(std::int64_t scale);

// pi at the scale, from the cached constant.
Fixed piFixed(std::int64_t scale);

struct SinCos {
    Fixed sin;
    Fixed cos;
};

// sin and cos of x / 10^scale for |x| / 10^scale <= 2; when only one of them is wanted and the
// argument is short, only that series is summed (the other comes back zero).
enum class Wanted { kSin, kCos, kBoth };
SinCos sinCosFixed(const BigInt& x, std::int64_t scale, Wanted wanted);

// atan(t) for 0 <= t <= 1 at t's scale, t's error included.
Fixed atanFixed(const Fixed& t);

// The angle atan(y / x) of the point (x, y) for 0 <= y <= x, x > 0, at their (common) scale,
// their errors included.
Fixed angleOfPoint(Fixed x, Fixed y);

// atan(num / den) for 0 <= num <= den, den > 0, at the scale.
Fixed atanRatioFixed(const BigInt& num, const BigInt& den, std::int64_t scale);

}  // namespace kestrum::calc
