// Multiplication of long limb vectors by number-theoretic transforms. The base-10^18 limbs are
// the transform coefficients themselves: the cyclic convolution is computed modulo three primes
// just below 2^62 and recombined with the Chinese remainder theorem into exact column sums.
//
// Exactness: a column sum of an na x nb limb product has at most min(na, nb) <= L / 2 + 1 terms,
// each below 10^36, where L <= kTransformMaxLength = 2^12 is the transform length. So every
// column is below 2049 * 10^36 < 2^131, far below the product of the three primes (> 2^185),
// and its residues determine it exactly.
#pragma once

#include <cstddef>

#include "limb.h"

namespace kestrum::aserv::kernel::detail {

// Longest cyclic convolution the root tables cover: products of up to 2^12 limbs (73728
// digits), twice the longest product of two operands at the text limits.
inline constexpr std::size_t kTransformMaxLength = std::size_t{1} << 12;

constexpr bool transformFits(std::size_t na, std::size_t nb) {
    return na + nb - 1 <= kTransformMaxLength;
}

// r[0..na+nb) = a * b for na, nb >= 1 with transformFits(na, nb); r must not overlap a or b.
void multiplyTransform(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb);

// The same product for limbs in base kShortBase = 10^16, whose columns stay below
// 2049 * 10^32 < 2^118: two of the primes (product > 2^123) determine them, so a third fewer
// transforms are needed. Digits and result in base 10^16.

// From this many digits in the shorter operand on (and while the product fits one transform),
// digit texts are multiplied by this transform, read straight into base-10^16 limbs (where
// shortTransformDigits() in multiply.h says so).
inline constexpr std::size_t kShortTransformDigits = 11'500;
void multiplyTransformShort(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb);

}  // namespace kestrum::aserv::kernel::detail
