// realAdd and realSub straight on operands written as plain digits (point_digits.h) whose values
// are not zero: the digit runs are aligned at the point, the zeros that would pad the shorter
// fraction stay implicit, and the result is written once, into its final text. It is the text
// the general path gives: its integer step can only come out canonical for such operands.
#pragma once

#include "text/text.h"

namespace kestrum::aserv {

// For such operands: writes realAdd's result into `result` (reusing its storage) and returns
// true. Any other operands leave `result` alone and return false: the general path takes them
// (so do operands whose scaled texts would be too long, to raise its error).
bool addPointDigits(TextView a1, TextView a2, Text& result);

// realSub's result in the same way.
bool subtractPointDigits(TextView a1, TextView a2, Text& result);

}  // namespace kestrum::aserv
