// The general path of integer addition and subtraction: the steps on the text, for any
// characters. It defines every result and error; the entry points one namespace up compute
// digit-only operands faster with the same outcome. The twins hand operands of different signs
// to each other with one sign character fewer, so the mutual recursion ends.
#pragma once

#include "text/text.h"

namespace kestrum::aserv::general {

// result = a1 + a2. Same signs: digit loop with a carry, non-digits raise error 102. Different
// signs: the smaller magnitude is subtracted from the larger one by intSub. The result may be
// the same variable as an operand: it is written only at the end.
void intAdd(TextView a1, TextView a2, Text& result);

// result = a1 - a2. Equal operands give "0"; a zero a2 gives a1 as it stands after blank
// removal; different signs add the magnitudes with intAdd; otherwise a digit loop with a borrow,
// where non-digits raise error 103.
void intSub(TextView a1, TextView a2, Text& result);

// The same operations on texts that are already free of blanks.
Text addBlankFree(TextView a, TextView b);
Text subtractBlankFree(TextView a, TextView b);

}  // namespace kestrum::aserv::general
