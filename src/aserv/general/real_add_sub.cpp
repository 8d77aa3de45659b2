#include "general/real_add_sub.h"

#include <algorithm>

#include "general/int_add_sub.h"
#include "int16.h"
#include "no_spaces.h"
#include "number_text.h"
#include "point_split.h"

namespace kestrum::aserv::general {

namespace {

enum class Operation { kAdd, kSubtract };

// The operand scaled by 10^fractionLength: integer part, fraction part, zeros up to the length.
Text scaled(const PointSplit& parts, long fractionLength) {
    Text joined(parts.integerPart);
    joined.append(parts.fractionPart);
    joined.append(zeros(fractionLength - static_cast<long>(parts.fractionPart.size())));
    return joined;
}

// Puts the point back into an integer result with `fractionLength` fraction digits. An
// all-zero fraction is dropped together with the point; a result with fewer digits than the
// fraction gets exactly one "0" before the point.
Text placePoint(TextView integer, long fractionLength) {
    const bool negative = !integer.empty() && integer.front() == kMinus;
    if (negative) {
        integer.remove_prefix(1);
    }
    Text digits;
    const long count = lengthOf(integer);
    if (count < fractionLength) {
        digits = zeros(fractionLength - count + 1);
    }
    digits.append(integer);
    const auto total = static_cast<long>(digits.size());
    const TextView whole = digits;
    const TextView fraction = lastChars(whole, fractionLength);
    Text body(firstChars(whole, total - fractionLength));
    if (fraction != zeros(fractionLength)) {
        body.push_back(kPoint);
        body.append(fraction);
    }
    if (body.empty()) {
        body.assign(1, kZero);  // a negative zero with nothing before the point is "-0", never a lone "-"
    }
    return withSign(negative, body);
}

Text realAddOrSubtract(Operation operation, IntegerStep combine, TextView a1, TextView a2) {
    const BlankFreeText blankFreeA(a1);
    const BlankFreeText blankFreeB(a2);
    TextView a = blankFreeA.view();
    TextView b = blankFreeB.view();
    const TextView zero = u"0";
    if (a == u".") {
        a = zero;
    }
    if (b == u".") {
        b = zero;
    }
    if (operation == Operation::kAdd) {
        if (a.empty()) {
            a = zero;
        }
        if (b.empty()) {
            b = zero;
        }
    }
    if (pointPosition(a) == 0 && pointPosition(b) == 0) {
        return combine(a, b);
    }
    const PointSplit first = splitAtPoint(a);
    const PointSplit second = splitAtPoint(b);
    const long fractionLength =
        static_cast<long>(std::max(first.fractionPart.size(), second.fractionPart.size()));
    const Text integer = combine(scaled(first, fractionLength), scaled(second, fractionLength));
    if (integer == u"0") {
        return integer;
    }
    if (operation == Operation::kAdd) {
        lengthOf(integer);  // the sum's length, sign included, is a 16-bit value
    }
    return placePoint(integer, fractionLength);
}

}  // namespace

Text realAddWith(IntegerStep add, TextView a1, TextView a2) {
    return realAddOrSubtract(Operation::kAdd, add, a1, a2);
}

Text realSubWith(IntegerStep subtract, TextView a1, TextView a2) {
    return realAddOrSubtract(Operation::kSubtract, subtract, a1, a2);
}

void realAdd(TextView a1, TextView a2, Text& result) {
    result = realAddWith(addBlankFree, a1, a2);
}

void realSub(TextView a1, TextView a2, Text& result) {
    result = realSubWith(subtractBlankFree, a1, a2);
}

}  // namespace kestrum::aserv::general
