#include "general/real_mult.h"

#include "general/int_mult.h"
#include "int16.h"
#include "no_spaces.h"
#include "number_text.h"
#include "point_split.h"

namespace kestrum::aserv::general {

namespace {

bool isZeroText(TextView text) {
    return text.empty() || text == u"." || text == u"0";
}

Text joined(const PointSplit& parts) {
    Text text(parts.integerPart);
    text.append(parts.fractionPart);
    return text;
}

}  // namespace

Text realMultWith(MultiplyStep multiply, TextView a1, TextView a2) {
    const BlankFreeText blankFreeA(a1);
    const BlankFreeText blankFreeB(a2);
    const TextView a = blankFreeA.view();
    const TextView b = blankFreeB.view();
    if (isZeroText(a) || isZeroText(b)) {
        return u"0";
    }
    if (pointPosition(a) == 0 && pointPosition(b) == 0) {
        return multiply(a, b);
    }
    const PointSplit first = splitAtPoint(a);
    const PointSplit second = splitAtPoint(b);
    const long fractionLength = checked16(static_cast<long>(first.fractionPart.size()) +
                                          static_cast<long>(second.fractionPart.size()));
    const Text product = multiply(joined(first), joined(second));

    TextView digits = product;
    const bool negative = !digits.empty() && digits.front() == kMinus;
    if (negative) {
        digits.remove_prefix(1);
    }
    Text padded;
    const long count = lengthOf(digits);
    if (count < fractionLength) {
        padded = zeros(fractionLength - count);
    }
    padded.append(digits);
    const TextView whole = padded;
    const auto total = static_cast<long>(whole.size());

    Text result;
    result.reserve(whole.size() + 3);
    if (negative) {
        result.push_back(kMinus);
    }
    if (total == fractionLength) {
        result.push_back(kZero);
    }
    result.append(firstChars(whole, total - fractionLength));
    result.push_back(kPoint);
    result.append(lastChars(whole, fractionLength));
    requireOperandLength(result);  // the trailing-zero scan takes its length, then removes blanks
    result.erase(result.find_last_not_of(kZero) + 1);
    return result;
}

void realMult(TextView a1, TextView a2, Text& result) {
    result = realMultWith(multiplyBlankFree, a1, a2);
}

}  // namespace kestrum::aserv::general
