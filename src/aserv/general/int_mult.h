// The general path of integer multiplication: long multiplication on the text, one partial
// product per multiplier digit summed with addition. It defines every result and error; the
// entry point one namespace up multiplies faster with the same outcome.
#pragma once

#include "text/text.h"

namespace kestrum::aserv::general {

// result = a1 * a2 by long multiplication: the longer magnitude times each digit of the shorter
// one, partial products summed with intAdd. A magnitude holding anything but digits raises
// error 102. A zero product of operands with different signs is "-0".
void intMult(TextView a1, TextView a2, Text& result);

// The same operation on texts that are already free of blanks.
Text multiplyBlankFree(TextView a, TextView b);

}  // namespace kestrum::aserv::general
