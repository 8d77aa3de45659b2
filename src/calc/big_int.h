// Signed whole numbers of any length in base-10^18 limbs, on the digit kernel's limb routines:
// its multiplication (schoolbook, Karatsuba, transforms) and division do the heavy work, and
// since the base is a power of ten, decimal text and shifts by powers of ten cost little.
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrum::calc {

class BigInt {
  public:
    BigInt() = default;
    BigInt(std::int64_t v);  // NOLINT(google-explicit-constructor): small constants read well

    // The value of a text of decimal digits with an optional leading '-'; digits only otherwise.
    static BigInt fromDigits(std::string_view text);

    // Decimal text: '-' for a negative value, no leading zeros, "0" for zero.
    [[nodiscard]] std::string toString() const;

    [[nodiscard]] bool isZero() const { return limbs_.empty(); }
    [[nodiscard]] bool isNegative() const { return negative_; }
    [[nodiscard]] int sign() const { return isZero() ? 0 : (negative_ ? -1 : 1); }
    [[nodiscard]] bool isOdd() const;

    // Number of decimal digits of |value| (0 for zero).
    [[nodiscard]] std::size_t digitCount() const;

    // The value when it fits, else nothing is promised: callers check digitCount() first.
    [[nodiscard]] std::int64_t toInt64() const;

    BigInt operator-() const;
    [[nodiscard]] BigInt abs() const;

    friend BigInt operator+(const BigInt& a, const BigInt& b);
    friend BigInt operator-(const BigInt& a, const BigInt& b);
    friend BigInt operator*(const BigInt& a, const BigInt& b);
    BigInt& operator+=(const BigInt& b);
    BigInt& operator-=(const BigInt& b);
    BigInt& operator*=(const BigInt& b);

    friend bool operator==(const BigInt& a, const BigInt& b) = default;
    friend std::strong_ordering operator<=>(const BigInt& a, const BigInt& b);

    // Truncating division (quotient toward zero, remainder with the sign of a); b != 0.
    struct DivMod;
    static DivMod divMod(const BigInt& a, const BigInt& b);
    // Quotient rounded toward -infinity; b != 0.
    static BigInt floorDiv(const BigInt& a, const BigInt& b);

    // value * 10^k for k >= 0.
    [[nodiscard]] BigInt shiftedUp(std::size_t k) const;
    // value / 10^k truncated toward zero; `inexact` (when given) tells whether digits were lost.
    [[nodiscard]] BigInt shiftedDown(std::size_t k, bool* inexact = nullptr) const;

    // floor(sqrt(value)) for value >= 0.
    [[nodiscard]] BigInt isqrt() const;

    // The limbs in base 10^18, least significant first; fromLimbs drops high zero limbs.
    static BigInt fromLimbs(std::vector<std::uint64_t> limbs, bool negative = false);
    [[nodiscard]] const std::vector<std::uint64_t>& limbs() const { return limbs_; }

    // 10^k.
    static BigInt powerOfTen(std::size_t k);

    // value * m for m < 10^18.
    [[nodiscard]] BigInt timesWord(std::uint64_t m) const;
    // value / m truncated toward zero for 0 < m < 10^18; `remainder` (when given) gets |value| % m.
    [[nodiscard]] BigInt dividedByWord(std::uint64_t m, std::uint64_t* remainder = nullptr) const;

    // floor(value / 10^k): shiftedDown rounded toward -infinity.
    [[nodiscard]] BigInt floorShiftedDown(std::size_t k) const;

    // The decimal digit of |value| at position k (0 for the units).
    [[nodiscard]] int digitAt(std::size_t k) const;
    // Number of zero digits at the low end of |value| (0 for zero).
    [[nodiscard]] std::size_t trailingZeros() const;

  private:
    std::vector<std::uint64_t> limbs_;  // least significant first, no high zero limbs
    bool negative_ = false;             // never set for zero
};

struct BigInt::DivMod {
    BigInt quotient;
    BigInt remainder;
};

}  // namespace kestrum::calc
