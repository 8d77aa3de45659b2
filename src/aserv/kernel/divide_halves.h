// Long division on limbs cut into halves below 10^9 (base 10^9 in 32-bit words), the schoolbook
// division of builds whose machine words are 32 bits wide: each step is a product of two 32-bit
// words or one 64-by-32-bit division, where the same step on 10^18 limbs takes several products
// built from four 32-bit ones each.
#pragma once

#include <cstddef>
#include <cstdint>

#include "divide.h"
#include "limb.h"

namespace kestrum::aserv::kernel::detail {

using Half = std::uint32_t;

// Long division in base 10^9 of a[0..na) by b[0..nb), for nb >= 2, b's top half at least
// 5 * 10^8 and a's top nb halves below b: the quotient goes to q[0..na - nb), the remainder to
// a[0..nb), and the halves above it are cleared.
void divideHalves(Half* q, Half* a, std::size_t na, const Half* b, std::size_t nb);

// The same division on limbs, by way of halves: b[nb - 1] is at least half the base 10^18, a's
// top nb limbs are below b; quotient to q[0..na - nb), remainder to a[0..nb), limbs above it
// cleared.
void divideNormalisedByHalves(Limb* q, Limb* a, std::size_t na, const Limb* b, std::size_t nb);

// a / b for nb >= 2 with b[nb - 1] != 0 and na >= nb, by way of halves, the divisor scaled in
// base 10^9 so that its top half is at least 5 * 10^8: the quotient has na + 1 - nb limbs, the
// remainder nb.
LimbQuotient divideByHalves(const Limb* a, std::size_t na, const Limb* b, std::size_t nb);

}  // namespace kestrum::aserv::kernel::detail
