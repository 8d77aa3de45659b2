// Sums and differences of digit magnitudes (code units u'0'..u'9' only, leading zeros allowed,
// the empty text for zero) written straight into the result text with their sign, without limbs:
// the digits are added or subtracted in place of the result's digits, and the sign and the
// carry slot are settled before the digits are written, so the text is written once.
#pragma once

#include "text/text.h"

namespace kestrum::aserv {

// out = a + b in canonical form, with "-" in front when `negative` and the sum is not zero.
// `out` keeps its storage and may hold a or b.
void writeMagnitudeSum(bool negative, TextView a, TextView b, Text& out);

// out = a - b for a >= b by value, in canonical form, with "-" in front when `negative` and the
// difference is not zero. `out` keeps its storage and may hold a or b.
void writeMagnitudeDifference(bool negative, TextView a, TextView b, Text& out);

}  // namespace kestrum::aserv
