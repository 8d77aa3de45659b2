// The general path of addition and subtraction of numbers with a decimal point: both operands
// are scaled to integers with the same number of fraction digits, added or subtracted once, and
// the point is put back counted from the right. The integer step is a parameter, so the entry
// points one namespace up run the same steps with their faster integer operations.
#pragma once

#include "text/text.h"

namespace kestrum::aserv::general {

// result = a1 + a2. "." and the empty text count as 0. Without a point in either operand the
// result is intAdd's. Otherwise it has exactly as many fraction digits as the longer fraction,
// trailing zeros kept, or none when they are all zero (1.5 + 1.5 = 3); nothing stands before the
// point when the integer digits are used up (0.1 + 0.2 = .3).
void realAdd(TextView a1, TextView a2, Text& result);

// result = a1 - a2, in the same way with intSub; only "." counts as 0 (an empty operand reads as
// 0 in intSub anyway). A negative zero that keeps no digit before the point comes out as "-0".
void realSub(TextView a1, TextView a2, Text& result);

// An integer operation on blank-free texts, run once on the scaled operands.
using IntegerStep = Text (*)(TextView, TextView);

// The steps of realAdd and realSub with `add` or `subtract` as the integer step.
Text realAddWith(IntegerStep add, TextView a1, TextView a2);
Text realSubWith(IntegerStep subtract, TextView a1, TextView a2);

}  // namespace kestrum::aserv::general
