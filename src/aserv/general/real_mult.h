// The general path of multiplication of numbers with a decimal point: each operand scaled by its
// own fraction length, one integer multiplication, the point put back. The integer step is a
// parameter, so the entry point one namespace up runs the same steps with its faster one.
#pragma once

#include "text/text.h"

namespace kestrum::aserv::general {

// result = a1 * a2. ".", "" and "0" count as 0 (result "0"). Without a point in either operand
// the result is intMult's. Otherwise each operand is scaled by its own fraction length, the
// integers are multiplied once, and the point goes back with as many fraction digits as both
// operands together; a "0" stands before a leading point, the sign in front, and trailing
// zeros are removed up to the point (1.5 * 2 = 3., 0.5 * 0.5 = 0.25, -0.5 * 0.0 = -0.).
void realMult(TextView a1, TextView a2, Text& result);

// An integer multiplication on blank-free texts, run once on the scaled operands; the product
// goes to its third argument.
using MultiplyStep = void (*)(TextView, TextView, Text&);

// The steps of realMult with `multiply` as the integer step. The product is built in `result`
// and the point put in place there, so its storage is reused.
void realMultWith(MultiplyStep multiply, TextView a1, TextView a2, Text& result);

}  // namespace kestrum::aserv::general
