// The general path: multiplication of numbers with a decimal point, step by step on the text,
// for any characters. It defines every result and error; the entry points of the same name one
// namespace up may compute digit-only operands faster, with the same outcome.
#pragma once

#include "text.h"

namespace kestrum::aserv::general {

// result = a1 * a2. ".", "" and "0" count as 0 (result "0"). Without a point in either operand
// the result is intMult's. Otherwise each operand is scaled by its own fraction length, the
// integers are multiplied once, and the point goes back with as many fraction digits as both
// operands together; a "0" stands before a leading point, the sign in front, and trailing
// zeros are removed up to the point (1.5 * 2 = 3., 0.5 * 0.5 = 0.25, -0.5 * 0.0 = -0.).
void realMult(TextView a1, TextView a2, Text& result);

}  // namespace kestrum::aserv::general
