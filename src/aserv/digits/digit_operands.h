// Helpers of the entry points for operands whose magnitudes, after the sign split, are made of
// digits only: the comparisons that the integer operations make on the signed texts, computed
// from the split operands with the kernel.
#pragma once

#include "kernel/kernel.h"
#include "text/number_text.h"

namespace kestrum::aserv {

// The sign that the comparison gives an operand: texts without digits ("", "-", "+", "-+") read
// as 0, which is not negative.
inline int comparisonSign(const SignedText& operand) {
    return operand.magnitude.empty() ? 1 : operand.sign;
}

// The comparison of the two signed texts: -1, 0 or 1. A negative zero ranks below 0.
inline int compareSigned(const SignedText& x, const SignedText& y) {
    const int sx = comparisonSign(x);
    if (sx != comparisonSign(y)) {
        return sx;
    }
    return sx * kernel::compareMagnitudes(x.magnitude, y.magnitude);
}

// Whether the signed text compares equal to "0" (a negative zero does not).
inline bool comparesEqualToZero(const SignedText& operand) {
    return comparisonSign(operand) == 1 && kernel::significantLength(operand.magnitude) == 0;
}

}  // namespace kestrum::aserv
