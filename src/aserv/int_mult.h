// Integer multiplication.
#pragma once

#include "text/text.h"

namespace kestrum::aserv {

// result = a1 * a2, as long multiplication gives it: the longer magnitude (a1 when both are
// equally long) is the multiplicand, each digit of the other gives a partial product, and the
// partial products are summed one by one. A magnitude holding anything but digits raises error
// 102. Error 6 comes exactly where a partial product or a running sum would reach 32767
// characters. A zero product of operands with different signs is "-0".
void intMult(TextView a1, TextView a2, Text& result);

// The same operation on texts that are already free of blanks (for the other procedures); the
// product goes to `product`, whose storage is reused.
void multiplyBlankFree(TextView a, TextView b, Text& product);

}  // namespace kestrum::aserv
