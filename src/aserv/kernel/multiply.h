// Limb-vector multiplication: schoolbook below the Karatsuba threshold, Karatsuba above with
// unbalanced operands cut into balanced pieces, and a number-theoretic transform for long
// operands.
#pragma once

#include <cstddef>

#include "limb.h"

namespace kestrum::aserv::kernel::detail {

// Below this many limbs in the shorter operand, schoolbook multiplication is used.
inline constexpr std::size_t kKaratsubaThreshold = 32;

// From this many limbs in the shorter operand on, products that fit one number-theoretic
// transform are computed by it.
inline constexpr std::size_t kTransformThreshold = 800;

// Scratch limbs that multiplyLimbs needs for operands of na >= nb limbs.
std::size_t multiplyScratch(std::size_t na, std::size_t nb);

// r[0..na+nb) = a * b for na >= nb >= 1; r must not overlap a, b or scratch.
void multiplyLimbs(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb,
                   Limb* scratch);

}  // namespace kestrum::aserv::kernel::detail
