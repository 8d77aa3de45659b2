#include "decimal.h"

#include <compare>
#include <string>
#include <utility>

namespace kestrum::calc {

namespace {

// The exponents of the two decimals brought to the lower one: the coefficients to add or compare.
std::pair<BigInt, BigInt> alignedCoefficients(const Decimal& a, const Decimal& b) {
    if (a.exponent >= b.exponent) {
        return {a.coefficient.shiftedUp(static_cast<std::size_t>(a.exponent - b.exponent)),
                b.coefficient};
    }
    return {a.coefficient,
            b.coefficient.shiftedUp(static_cast<std::size_t>(b.exponent - a.exponent))};
}

}  // namespace

Decimal Decimal::fromText(std::string_view text) {
    std::string digits;
    digits.reserve(text.size());
    std::int64_t fractionDigits = 0;
    bool afterPoint = false;
    for (const char c : text) {
        if (c == '.') {
            afterPoint = true;
        } else {
            digits.push_back(c);
            fractionDigits += afterPoint && c != '-' ? 1 : 0;
        }
    }
    return Decimal{BigInt::fromDigits(digits), -fractionDigits}.normalized();
}

std::string Decimal::toString() const {
    const Decimal d = normalized();
    std::string digits = d.coefficient.abs().toString();
    const std::string sign = d.sign() < 0 ? "-" : "";
    if (d.exponent >= 0) {
        return sign + digits + std::string(static_cast<std::size_t>(d.exponent), '0');
    }
    const auto fraction = static_cast<std::size_t>(-d.exponent);
    if (fraction >= digits.size()) {
        return sign + "0." + std::string(fraction - digits.size(), '0') + digits;
    }
    digits.insert(digits.size() - fraction, 1, '.');
    return sign + digits;
}

std::optional<std::int64_t> Decimal::magnitude() const {
    if (isZero()) {
        return std::nullopt;
    }
    return exponent + static_cast<std::int64_t>(coefficient.digitCount());
}

Decimal Decimal::normalized() const {
    if (isZero()) {
        return {};
    }
    const std::size_t zeros = coefficient.trailingZeros();
    if (zeros == 0) {
        return *this;
    }
    return {coefficient.shiftedDown(zeros), exponent + static_cast<std::int64_t>(zeros)};
}

// The signs and then the magnitudes decide unless both are equal; then the exponents differ by
// no more than the coefficients' lengths, so aligning them costs little.
std::strong_ordering operator<=>(const Decimal& a, const Decimal& b) {
    if (a.sign() != b.sign() || a.isZero()) {
        return a.sign() <=> b.sign();
    }
    const std::int64_t magnitudeA = *a.magnitude();
    const std::int64_t magnitudeB = *b.magnitude();
    if (magnitudeA != magnitudeB) {
        return a.sign() > 0 ? magnitudeA <=> magnitudeB : magnitudeB <=> magnitudeA;
    }
    const auto [x, y] = alignedCoefficients(a, b);
    return x <=> y;
}

bool operator==(const Decimal& a, const Decimal& b) {
    return std::is_eq(a <=> b);
}

Decimal operator+(const Decimal& a, const Decimal& b) {
    if (a.isZero()) {
        return b;
    }
    if (b.isZero()) {
        return a;
    }
    const auto [x, y] = alignedCoefficients(a, b);
    return {x + y, std::min(a.exponent, b.exponent)};
}

Decimal operator-(const Decimal& a, const Decimal& b) {
    return a + (-b);
}

Decimal operator*(const Decimal& a, const Decimal& b) {
    return {a.coefficient * b.coefficient, a.exponent + b.exponent};
}

Decimal operator-(const Decimal& a) {
    return {-a.coefficient, a.exponent};
}

Decimal abs(const Decimal& a) {
    return {a.coefficient.abs(), a.exponent};
}

RoundedDecimal roundToExponent(const Decimal& d, std::int64_t exponent) {
    if (d.exponent >= exponent) {
        return {d, {}};
    }
    const auto cut = static_cast<std::size_t>(exponent - d.exponent);
    bool inexact = false;
    BigInt kept = d.coefficient.shiftedDown(cut, &inexact);
    if (!inexact) {
        return {{std::move(kept), exponent}, {}};
    }
    if (d.coefficient.digitAt(cut - 1) >= 5) {
        kept += d.sign();
    }
    // What was cut is at most half a unit of the last kept digit.
    return {{std::move(kept), exponent}, Radius::above(5, exponent - 1)};
}

RoundedDecimal roundToDigits(const Decimal& d, std::int64_t digits) {
    if (d.isZero()) {
        return {{}, {}};
    }
    return roundToExponent(d, *d.magnitude() - digits);
}

}  // namespace kestrum::calc
