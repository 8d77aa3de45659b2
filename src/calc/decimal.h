// Exact decimals (a whole coefficient times a power of ten) and the small, rounded-up radii that
// balls carry around them.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "big_int.h"

namespace kestrum::calc {

// An exact decimal: coefficient * 10^exponent.
struct Decimal {
    BigInt coefficient;
    std::int64_t exponent = 0;

    // Decimal text of a number literal: optional '-', digits, at most one '.', at least one
    // digit ("12", "-0.5", ".5", "5."). The caller has checked the form.
    static Decimal fromText(std::string_view text);

    // The exact value in plain notation ("-12.5", "0.001", "300"), no trailing zeros after the
    // point, no point without digits after it, never "-0".
    [[nodiscard]] std::string toString() const;

    // Position of the leading digit: the value lies in [10^(m-1), 10^m) for m = magnitude();
    // nothing for zero.
    [[nodiscard]] std::optional<std::int64_t> magnitude() const;

    [[nodiscard]] bool isZero() const { return coefficient.isZero(); }
    [[nodiscard]] int sign() const { return coefficient.sign(); }

    // The same value with the coefficient's trailing zeros moved into the exponent (zero as 0).
    [[nodiscard]] Decimal normalized() const;

    friend std::strong_ordering operator<=>(const Decimal& a, const Decimal& b);
    friend bool operator==(const Decimal& a, const Decimal& b);  // by value
};

// Exact arithmetic. Sums align the exponents, so their cost grows with the distance between the
// operands' lowest digits.
Decimal operator+(const Decimal& a, const Decimal& b);
Decimal operator-(const Decimal& a, const Decimal& b);
Decimal operator*(const Decimal& a, const Decimal& b);
Decimal operator-(const Decimal& a);
Decimal abs(const Decimal& a);

// The radius: a small mantissa times a power of ten, always rounded up.
struct Radius {
    std::uint64_t mantissa = 0;  // zero for an exact ball
    std::int64_t exponent = 0;

    // Mantissas stay below this, so that sums and products of two of them fit a word.
    static constexpr std::uint64_t kMantissaLimit = 1'000'000'000;

    // mantissa * 10^exponent rounded up to a mantissa below kMantissaLimit.
    static Radius above(std::uint64_t mantissa, std::int64_t exponent);
    // Radii that are at least (above) or at most (below) |d|.
    static Radius above(const Decimal& d);
    static Radius below(const Decimal& d);

    [[nodiscard]] bool isZero() const { return mantissa == 0; }
    [[nodiscard]] Decimal toDecimal() const;
    // The position just above the leading digit: the radius is below 10^magnitude().
    [[nodiscard]] std::int64_t magnitude() const;
};

// Rounded-up sum, product and quotient; the quotient's divisor is nonzero.
Radius operator+(const Radius& a, const Radius& b);
Radius operator*(const Radius& a, const Radius& b);
Radius quotientAbove(const Radius& a, const Radius& b);

// A decimal rounded to nearest, and a bound on what the rounding changed (zero when nothing).
struct RoundedDecimal {
    Decimal value;
    Radius error;
};

// Rounded to a multiple of 10^exponent (nothing changes when d is one already).
RoundedDecimal roundToExponent(const Decimal& d, std::int64_t exponent);
// Rounded to at most `digits` significant digits (digits >= 1).
RoundedDecimal roundToDigits(const Decimal& d, std::int64_t digits);

}  // namespace kestrum::calc
