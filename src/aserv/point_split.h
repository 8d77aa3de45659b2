// Splitting a number text at its decimal point, shared by the operations on numbers with a point.
#pragma once

#include "text.h"
#include "text_ops.h"

namespace kestrum::aserv {

// An operand split at its first ".": the integer part keeps any sign at its front; the
// fraction part is never empty ("0" where the text has no fraction digits). Further "."
// characters stay in the fraction part.
struct PointSplit {
    TextView integerPart;
    TextView fractionPart;
};

// Splits a text that is not a lone ".".
inline PointSplit splitAtPoint(TextView text) {
    const long position = pointPosition(text);
    const auto length = static_cast<long>(text.size());
    if (position == 0) {
        return {text, u"0"};
    }
    if (position == 1) {
        return {u"0", lastChars(text, length - 1)};
    }
    if (position == length) {
        return {firstChars(text, length - 1), u"0"};
    }
    return {firstChars(text, position - 1), lastChars(text, length - position)};
}

}  // namespace kestrum::aserv
