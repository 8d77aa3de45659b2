// Limb-vector multiplication: schoolbook below the Karatsuba threshold, Karatsuba above with
// unbalanced operands cut into balanced pieces, and a number-theoretic transform for long
// operands.
#pragma once

#include <cstddef>

#include "limb.h"

namespace kestrum::aserv::kernel::detail {

// Below this many limbs in the shorter operand, schoolbook multiplication is used: the column
// sums (school_columns.h) or, on CPUs that run them, a vector schoolbook: school_avx2.h, or
// school_avx512.h, which stays faster than Karatsuba up to longer operands.
inline constexpr std::size_t kKaratsubaThreshold = 32;
inline constexpr std::size_t kAvx512KaratsubaThreshold = 65;

// The threshold that this process uses, chosen with the schoolbook on first use.
std::size_t karatsubaThreshold();

// From this many limbs in the shorter operand on, products that fit one number-theoretic
// transform are computed by it.
inline constexpr std::size_t kTransformThreshold = 800;

// Scratch limbs that multiplyLimbs needs for operands of na >= nb limbs.
std::size_t multiplyScratch(std::size_t na, std::size_t nb);

// r[0..na+nb) = a * b for na >= nb >= 1; r must not overlap a, b or scratch.
void multiplyLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
                   Limb* scratch);

}  // namespace kestrum::aserv::kernel::detail
