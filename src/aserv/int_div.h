// Integer division with quotient, remainder and a division-by-zero flag.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace kestrum::aserv {

// Long division of a1 by a2, truncating toward zero. `m` receives the quotient and `r` the
// remainder; both carry "-" when exactly one operand is negative (and they are not "0"). A zero
// divisor (negative zeros included) is no error: m = "0", r = "0", er = 1. `er` is written on
// no other path. m and r are written in place as the division proceeds: after an error in the
// long division, m holds the quotient digits produced so far and r is empty. The operands are
// read before m or r is first written, so either may be the same variable as m or r.
void intDiv(TextView a1, TextView a2, Text& m, Text& r, std::int16_t& er);

}  // namespace kestrum::aserv
