// Schoolbook products on every target: each column of limb products is summed in two machine
// words and split into a limb and a carry once (x86-64 assembly for the sums, portable C++
// elsewhere).
#pragma once

#include <cstddef>

#include "limb.h"

namespace kestrum::aserv::kernel::detail {

// The longest shorter operand the column sums take.
inline constexpr std::size_t kColumnSchoolLimbs = 31;

// r[0..na+nb) = a * b for na >= 1 and 1 <= nb <= kColumnSchoolLimbs; r must not overlap a or b.
void multiplySchoolColumns(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb);

}  // namespace kestrum::aserv::kernel::detail
