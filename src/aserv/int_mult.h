// Integer multiplication.
#pragma once

#include "text.h"

namespace kestrum::aserv {

// result = a1 * a2 by long multiplication: the longer magnitude times each digit of the shorter
// one, partial products summed with intAdd. A magnitude holding anything but digits raises
// error 102. A zero product of operands with different signs is "-0".
void intMult(TextView a1, TextView a2, Text& result);

}  // namespace kestrum::aserv
