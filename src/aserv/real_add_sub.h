// Addition and subtraction of numbers with a decimal point, the twins: both operands are scaled
// to integers with the same number of fraction digits, added or subtracted once by intAdd or
// intSub, and the point is put back counted from the right.
#pragma once

#include "text/text.h"

namespace kestrum::aserv {

// result = a1 + a2. "." and the empty text count as 0. Without a point in either operand the
// result is intAdd's. Otherwise it has exactly as many fraction digits as the longer fraction,
// trailing zeros kept, or none when they are all zero (1.5 + 1.5 = 3); nothing stands before the
// point when the integer digits are used up (0.1 + 0.2 = .3).
void realAdd(TextView a1, TextView a2, Text& result);

// result = a1 - a2, in the same way with intSub; only "." counts as 0 (an empty operand reads as
// 0 in intSub anyway). A negative zero that keeps no digit before the point comes out as "-0".
void realSub(TextView a1, TextView a2, Text& result);

}  // namespace kestrum::aserv
