// Digit text <-> decimal limbs. Texts hold only the code units u'0'..u'9'.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "digit_groups.h"
#include "limb.h"

namespace kestrum::aserv::kernel::detail {

// The text without its leading zeros ("" for zero).
std::u16string_view stripZeros(std::u16string_view digits);

// -1, 0 or 1; both texts free of leading zeros.
int compareStripped(std::u16string_view a, std::u16string_view b);

constexpr std::size_t limbsFor(std::size_t digitCount) {
    return (digitCount + kLimbDigits - 1) / kLimbDigits;
}

constexpr std::size_t shortLimbsFor(std::size_t digitCount) {
    return (digitCount + kShortLimbDigits - 1) / kShortLimbDigits;
}

// The value of n <= 19 digits (below 10^19 < 2^64).
std::uint64_t parseWord(const char16_t* p, std::size_t n);

// Number of decimal digits of v (1 for zero).
std::size_t wordDigits(std::uint64_t v);

// Writes limbsFor(digits.size()) limbs to out.
void parseLimbs(std::u16string_view digits, Limb* out);

// Number of decimal digits of the value held in limbs (0 for zero).
std::size_t digitCount(const Limb* limbs, std::size_t count);

// Writes exactly digitCount(limbs, count) digits to out.
void formatLimbs(const Limb* limbs, std::size_t count, char16_t* out);

// Canonical text of the value: "0" for zero, no leading zeros. The second form replaces the
// contents of out and reuses its storage.
void limbsToText(const Limb* limbs, std::size_t count, std::u16string& out);
std::u16string limbsToText(const Limb* limbs, std::size_t count);

// The same for limbs in base 10^16 (16 digits each), the base of the two-prime transform:
// parseShortLimbs writes shortLimbsFor(digits.size()) limbs; shortLimbsToText replaces out.
void parseShortLimbs(std::u16string_view digits, Limb* out);
void shortLimbsToText(const Limb* limbs, std::size_t count, std::u16string& out);

}  // namespace kestrum::aserv::kernel::detail
