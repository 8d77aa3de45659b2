// Integer addition and subtraction, the twins: each hands operands of different signs to the
// other, with one sign character fewer, so the mutual recursion ends.
#pragma once

#include "text/text.h"

namespace kestrum::aserv {

// result = a1 + a2. Same signs: digit loop with a carry, non-digits raise error 102. Different
// signs: the smaller magnitude is subtracted from the larger one by intSub. The result may be
// the same variable as an operand: it is written only at the end.
void intAdd(TextView a1, TextView a2, Text& result);

// result = a1 - a2. Equal operands give "0"; a zero a2 gives a1 as it stands after blank
// removal; different signs add the magnitudes with intAdd; otherwise a digit loop with a borrow,
// where non-digits raise error 103.
void intSub(TextView a1, TextView a2, Text& result);

// The same operations on texts that are already free of blanks (for the other procedures).
Text addBlankFree(TextView a, TextView b);
Text subtractBlankFree(TextView a, TextView b);

}  // namespace kestrum::aserv
