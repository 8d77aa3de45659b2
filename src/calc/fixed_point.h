// Fixed-point numbers for the functions' inner loops: a whole number standing for value * 10^-scale
// together with a bound on how far the real number it approximates may lie from it, counted in
// units of the last place. The bounds are kept in doubles and every step rounds them up.
#pragma once

#include <cstdint>

#include "ball.h"
#include "big_int.h"

namespace kestrum::calc {

// Guard digits the functions add to the working precision: their error bounds stay below a few
// hundred units of the last place.
inline constexpr std::int64_t kFunctionGuardDigits = 6;

struct Fixed {
    BigInt value;
    std::int64_t scale = 0;
    double error = 0;  // units of 10^-scale, rounded up
};

// An error bound with a margin for the rounding of the double arithmetic that produced it.
double roundedUp(double units);

// An approximation of log10|v| good to about 15 digits; -infinity for zero.
double log10Abs(const BigInt& v);

// An upper bound of log10 |x| for the value and its error together.
double log10MagnitudeAbove(const Fixed& x);
// An upper bound of |x| as a double (at least 10^-300); for values below about 10^300.
double magnitudeAbove(const Fixed& x);

// The exact decimal at the scale, rounded to nearest (error half a unit).
Fixed fixedFromDecimal(const Decimal& d, std::int64_t scale);

// x at another scale: more digits are exact, fewer truncate (one more unit of error).
Fixed rescaled(const Fixed& x, std::int64_t scale);

// Products, quotients, sums of operands at the same scale, truncated, with the error bounds that
// follow from the operands' errors. The divisor of a quotient keeps its sign over its error.
Fixed multiply(const Fixed& a, const Fixed& b);
Fixed divide(const Fixed& a, const Fixed& b);
Fixed add(const Fixed& a, const Fixed& b);
Fixed subtract(const Fixed& a, const Fixed& b);
Fixed negated(Fixed x);
// The quotient of exact whole numbers at the scale (error one unit); den != 0.
Fixed ratio(const BigInt& num, const BigInt& den, std::int64_t scale);
// x * k for a whole k, the error scaled with it.
Fixed timesWhole(const Fixed& x, std::int64_t k);
// The whole number n at the scale, exactly.
Fixed wholeFixed(const BigInt& n, std::int64_t scale);

// The ball holding x, rounded to the precision.
Ball fixedBall(const Fixed& x, Precision p);

// The ball widened by a radius.
Ball widened(const Ball& b, const Radius& extra, Precision p);

// A radius of at least v >= 0 (v finite).
Radius radiusAbove(double v);

}  // namespace kestrum::calc
