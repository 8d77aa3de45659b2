#include <algorithm>
#include <array>

#include "decimal.h"

namespace kestrum::calc {

namespace {

constexpr int kMantissaDigits = 9;

constexpr std::array<std::uint64_t, 20> kPowersOfTen = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t p = 1;
    for (auto& power : powers) {
        power = p;
        p *= 10;
    }
    return powers;
}();

int wordDigits(std::uint64_t v) {
    int digits = 1;
    while (digits < 20 && v >= kPowersOfTen[static_cast<std::size_t>(digits)]) {
        ++digits;
    }
    return digits;
}

// ceil(v / 10^k) for any k >= 0.
std::uint64_t ceilShifted(std::uint64_t v, std::int64_t k) {
    if (v == 0) {
        return 0;
    }
    if (k >= 20) {
        return 1;
    }
    const std::uint64_t power = kPowersOfTen[static_cast<std::size_t>(k)];
    return v / power + (v % power != 0 ? 1 : 0);
}

// The radius of kMantissaDigits digits nearest below |d|, or above it.
Radius radiusNear(const Decimal& d, bool roundUp) {
    if (d.isZero()) {
        return {};
    }
    const auto digits = static_cast<std::int64_t>(d.coefficient.digitCount());
    if (digits <= kMantissaDigits) {
        const std::int64_t pad = kMantissaDigits - digits;
        return {static_cast<std::uint64_t>(d.coefficient.abs().toInt64()) *
                    kPowersOfTen[static_cast<std::size_t>(pad)],
                d.exponent - pad};
    }
    bool inexact = false;
    const BigInt top = d.coefficient.abs().shiftedDown(
        static_cast<std::size_t>(digits - kMantissaDigits), &inexact);
    const auto mantissa = static_cast<std::uint64_t>(top.toInt64());
    return Radius::above(mantissa + (roundUp && inexact ? 1 : 0),
                         d.exponent + digits - kMantissaDigits);
}

}  // namespace

Radius Radius::above(std::uint64_t mantissa, std::int64_t exponent) {
    if (mantissa == 0) {
        return {};
    }
    while (mantissa >= kMantissaLimit) {
        const int excess = wordDigits(mantissa) - kMantissaDigits;
        mantissa = ceilShifted(mantissa, excess);
        exponent += excess;
    }
    return {mantissa, exponent};
}

Radius Radius::above(const Decimal& d) {
    return radiusNear(d, true);
}

Radius Radius::below(const Decimal& d) {
    return radiusNear(d, false);
}

Decimal Radius::toDecimal() const {
    return {BigInt(static_cast<std::int64_t>(mantissa)), exponent};
}

std::int64_t Radius::magnitude() const {
    return exponent + wordDigits(mantissa);
}

// The larger exponent comes down by up to kMantissaDigits places exactly; the smaller operand's
// digits below the common exponent round up.
Radius operator+(const Radius& a, const Radius& b) {
    if (a.isZero() || b.isZero()) {
        return a.isZero() ? b : a;
    }
    const Radius& high = a.exponent >= b.exponent ? a : b;
    const Radius& low = a.exponent >= b.exponent ? b : a;
    const std::int64_t gap = high.exponent - low.exponent;
    const std::int64_t down = std::min<std::int64_t>(gap, kMantissaDigits);
    const std::uint64_t sum = high.mantissa * kPowersOfTen[static_cast<std::size_t>(down)] +
                              ceilShifted(low.mantissa, gap - down);
    return Radius::above(sum, high.exponent - down);
}

Radius operator*(const Radius& a, const Radius& b) {
    if (a.isZero() || b.isZero()) {
        return {};
    }
    return Radius::above(a.mantissa * b.mantissa, a.exponent + b.exponent);
}

Radius quotientAbove(const Radius& a, const Radius& b) {
    if (a.isZero()) {
        return {};
    }
    const std::uint64_t scaled = a.mantissa * kPowersOfTen[kMantissaDigits];
    const std::uint64_t quotient = scaled / b.mantissa + (scaled % b.mantissa != 0 ? 1 : 0);
    return Radius::above(quotient, a.exponent - b.exponent - kMantissaDigits);
}

}  // namespace kestrum::calc
