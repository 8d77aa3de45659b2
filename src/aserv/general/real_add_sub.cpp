#include "general/real_add_sub.h"

#include <algorithm>

#include "general/int_add_sub.h"
#include "text/int16.h"
#include "text/no_spaces.h"
#include "text/number_text.h"
#include "text/point_split.h"

namespace kestrum::aserv::general {

namespace {

enum class Operation { kAdd, kSubtract };

// Puts the point back into an integer result with `fractionLength` fraction digits. An
// all-zero fraction is dropped together with the point; a result with fewer digits than the
// fraction gets exactly one "0" before the point.
Text placePoint(TextView integer, long fractionLength) {
    const bool negative = !integer.empty() && integer.front() == kMinus;
    if (negative) {
        integer.remove_prefix(1);
    }
    const long count = lengthOf(integer);
    const bool padded = count < fractionLength;
    // Padded: "0", then the fraction is zeros followed by all the digits.
    const TextView integerPart =
        padded ? TextView(u"0") : firstChars(integer, count - fractionLength);
    const TextView fractionDigits = padded ? integer : lastChars(integer, fractionLength);
    const bool zeroFraction = fractionDigits.find_first_not_of(kZero) == TextView::npos;

    Text result;
    result.reserve(static_cast<std::size_t>(fractionLength) + integer.size() + 3);
    if (negative) {
        result.push_back(kMinus);
    }
    result.append(integerPart);
    if (!zeroFraction) {
        result.push_back(kPoint);
        result.append(static_cast<std::size_t>(fractionLength) - fractionDigits.size(), kZero);
        result.append(fractionDigits);
    }
    if (result.size() == (negative ? 1U : 0U)) {
        result.push_back(
            kZero);  // a negative zero with nothing before the point is "-0", never a lone "-"
    }
    return result;
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
    const ScaledText n1(first, static_cast<std::size_t>(fractionLength));
    const ScaledText n2(second, static_cast<std::size_t>(fractionLength));
    Text integer = combine(n1.view(), n2.view());
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
