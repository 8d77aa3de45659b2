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
// transform are computed by it: in 64-bit builds, and in 32-bit builds whose leaves are the
// column sums.
inline constexpr std::size_t kTransformThreshold = 800;

// The transform thresholds that this process uses, chosen with the schoolbook on first use: the
// one above in limbs, and kShortTransformDigits (ntt.h) for digit texts; or, in 32-bit builds on
// a vector schoolbook, none at all. There the transforms' products modulo primes near 2^62 are
// built from four 32-bit products each, while the vector schoolbook's are 32-bit products in any
// build, and Karatsuba on it is 3 to 10 times as fast at every length up to the text limits
// (16383 digits by 16383 took 186 us, against 652 us for the transform on 16-digit limbs and
// 1207 us for the three-prime one).
std::size_t transformThreshold();
std::size_t shortTransformDigits();

// Scratch limbs that multiplyLimbs needs for operands of na >= nb limbs.
std::size_t multiplyScratch(std::size_t na, std::size_t nb);

// r[0..na+nb) = a * b for na >= nb >= 1; r must not overlap a, b or scratch.
void multiplyLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
                   Limb* scratch);

}  // namespace kestrum::aserv::kernel::detail
