// Schoolbook products with AVX2 on x86 CPUs that have it (on x86-64 only where AVX-512 is
// missing), chosen at run time; 32-bit builds with SSE2 run it too (x86_vectors.h).
// The same plan as the AVX-512 form in four lanes: each limb is cut into two halves below 10^9,
// the products of halves are summed four columns at a time in 64-bit lanes, and the column sums
// are cut back into base-10^18 limbs with quotients by 10^9 from 32-bit products: estimated from
// the sums' upper bits, then exact on the small rests.
#pragma once

#include <cstddef>

#include "limb.h"
#include "x86_vectors.h"

namespace kestrum::aserv::kernel::detail {

// The longest shorter operand the four-lane schoolbook takes; the longer one may have any length.
inline constexpr std::size_t kAvx2SchoolLimbs = 32;

// Below this many limbs in the shorter operand the column sums are faster. With narrow words they
// build each product from four 32-bit ones, and the vector form is faster from three limbs on.
inline constexpr std::size_t kAvx2SchoolShortest = kNarrowWords ? 3 : 8;

// Whether this build on this CPU runs the four-lane schoolbook: the CPU has AVX2 and the system
// keeps the vector registers' upper halves (CPUID and XGETBV, through __builtin_cpu_supports).
bool avx2SchoolAvailable();

#if KESTRUM_X86_VECTORS
// r[0..na+nb) = a * b for na, nb >= 1 and min(na, nb) <= kAvx2SchoolLimbs; r must not overlap a
// or b. Requires avx2SchoolAvailable().
void multiplySchoolAvx2(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb);
#endif

}  // namespace kestrum::aserv::kernel::detail
