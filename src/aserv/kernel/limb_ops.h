// Linear-time operations on base-10^18 limb vectors (least significant limb first). Output
// ranges may coincide with an input range but must not otherwise overlap.
#pragma once

#include <cstddef>

#include "limb.h"

namespace kestrum::aserv::kernel::detail {

// -1, 0 or 1 for two vectors of n limbs.
int compareLimbs(const Limb* a, const Limb* b, std::size_t n);

// One limb of a sum with its carry in and out (0 or 1). The carry is a 0/1 word and the base is
// taken off through a mask, so loops over limbs have no data-dependent branches (random limbs
// would mispredict half of them).
inline Limb addWithCarry(Limb x, Limb y, Limb& carry) {
    const Limb s = x + y + carry;
    carry = s >= kBase ? 1U : 0U;
    return s - (kBase & (0 - carry));
}

// r[0..na) = a + b for na >= nb; returns the carry out (0 or 1).
Limb addLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb);

// r[0..na) = a - b for na >= nb; returns the borrow out (0 or 1).
Limb subLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb);

// r[0..n) = a * m for m < 10^18; returns the carry limb.
Limb mulLimb(Limb* r, const Limb* a, std::size_t n, Limb m);

// r[0..n) -= a * m for m < 10^18; returns what is still to be taken from r[n].
Limb subMulLimb(Limb* r, const Limb* a, std::size_t n, Limb m);

// q[0..n) = a / d; returns a % d. d.value() may be any nonzero word below 10^18.
Limb divLimb(Limb* q, const Limb* a, std::size_t n, const Divisor& d);

}  // namespace kestrum::aserv::kernel::detail
