// The general path of integer division: long division on the text with repeated subtraction,
// for any characters. It defines every result and error; the entry point one namespace up
// divides digit-only operands faster with the same outcome.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/text.h"

namespace kestrum::aserv::general {

// Long division of a1 by a2, truncating toward zero. `m` receives the quotient and `r` the
// remainder; both carry "-" when exactly one operand is negative (and they are not "0"). A zero
// divisor (negative zeros included) is no error: m = "0", r = "0", er = 1. `er` is written on
// no other path. m and r are written in place as the division proceeds: after an error in the
// long division, m holds the quotient digits produced so far and r is empty. The operands are
// read before m or r is first written, so either may be the same variable as m or r.
void intDiv(TextView a1, TextView a2, Text& m, Text& r, std::int16_t& er);

// The long division of the magnitudes, resumed where `window` holds what is left of the first
// `position` characters of the dividend and `m` the quotient digits so far. Leaves the last
// window in `r`.
void longDivisionFrom(TextView dividend, TextView divisor, std::size_t position, Text window,
                      Text& m, Text& r);

// The final form of quotient and remainder: the remainder without leading zeros, "0" for an
// empty quotient or remainder, and "-" on both when the signs differ, except on a "0".
void finishDivision(Text& m, Text& r, bool negative);

}  // namespace kestrum::aserv::general
