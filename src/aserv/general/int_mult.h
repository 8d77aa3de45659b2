// The general path: integer multiplication, step by step on the text,
// for any characters. It defines every result and error; the entry points of the same name one
// namespace up may compute digit-only operands faster, with the same outcome.
#pragma once

#include "text.h"

namespace kestrum::aserv::general {

// result = a1 * a2 by long multiplication: the longer magnitude times each digit of the shorter
// one, partial products summed with intAdd. A magnitude holding anything but digits raises
// error 102. A zero product of operands with different signs is "-0".
void intMult(TextView a1, TextView a2, Text& result);

// The same operation on texts that are already free of blanks.
Text multiplyBlankFree(TextView a, TextView b);

}  // namespace kestrum::aserv::general
