// Schoolbook products with AVX-512 (F) on x86-64 CPUs that have it, chosen at run time. Each limb
// is cut into two halves below 10^9; the products of halves, below 2^60, are summed eight columns
// at a time in 64-bit lanes, and the column sums are cut back into base-10^18 limbs with
// quotients by 10^9 from 32-bit products (vector_school.h). Other CPUs use the four-lane form
// (school_avx2.h) or the column sums (school_columns.h).
#pragma once

#include <cstddef>

#include "limb.h"

namespace kestrum::aserv::kernel::detail {

// The longest shorter operand the vector schoolbook takes; the longer one may have any length.
inline constexpr std::size_t kAvx512SchoolLimbs = 64;

// Below this many limbs in the shorter operand the column sums are faster.
inline constexpr std::size_t kAvx512SchoolShortest = 8;

// Whether this build on this CPU runs the vector schoolbook.
bool avx512SchoolAvailable();

#if defined(__x86_64__)
// r[0..na+nb) = a * b for na, nb >= 1 and min(na, nb) <= kAvx512SchoolLimbs; r must not overlap
// a or b. Requires avx512SchoolAvailable().
void multiplySchoolAvx512(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb);
#endif

}  // namespace kestrum::aserv::kernel::detail
