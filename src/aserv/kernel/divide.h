// Limb-vector division by a divisor of two or more limbs: schoolbook long division below the
// divide-and-conquer threshold, recursive (Burnikel-Ziegler) division above it, and for a
// quotient of k limbs by a divisor of more than 2(k + 2) limbs, division by the divisor's top
// k + 2 limbs followed by one correcting product.
#pragma once

#include <cstddef>

#include "limb.h"
#include "limb_buffer.h"

namespace kestrum::aserv::kernel::detail {

// Below this many divisor or quotient limbs, schoolbook long division is used.
inline constexpr std::size_t kDivideThreshold = 40;

// The recursive division halves its blocks (an odd block into halves one limb apart) down to
// blocks of fewer limbs than this, which long division finishes.
inline constexpr std::size_t kDivideBlockThreshold = 24;

struct LimbQuotient {
    LimbVector quotient;
    LimbVector remainder;
};

// a / b for nb >= 2 with b[nb - 1] != 0 and na >= nb.
LimbQuotient divideLimbs(const Limb* a, std::size_t na, const Limb* b, std::size_t nb);

}  // namespace kestrum::aserv::kernel::detail
