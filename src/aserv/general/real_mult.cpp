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
    const ScaledText n1(first, first.fractionPart.size());
    const ScaledText n2(second, second.fractionPart.size());
    const Text product = multiply(n1.view(), n2.view());

    TextView digits = product;
    const bool negative = !digits.empty() && digits.front() == kMinus;
    if (negative) {
        digits.remove_prefix(1);
    }
    // The product with zeros in front up to the fraction length: when it is that short, nothing
    // stands before the point and a "0" goes there.
    const long count = lengthOf(digits);
    const long padding = count < fractionLength ? fractionLength - count : 0;
    const TextView integerDigits = firstChars(digits, count + padding - fractionLength);
    const TextView fractionDigits = lastChars(digits, fractionLength - padding);

    Text result;
    result.reserve(digits.size() + static_cast<std::size_t>(padding) + 3);
    if (negative) {
        result.push_back(kMinus);
    }
    if (integerDigits.empty()) {
        result.push_back(kZero);
    }
    result.append(integerDigits);
    result.push_back(kPoint);
    result.append(static_cast<std::size_t>(padding), kZero);
    result.append(fractionDigits);
    requireOperandLength(result);  // the trailing-zero scan takes its length, then removes blanks
    result.erase(result.find_last_not_of(kZero) + 1);
    return result;
}

void realMult(TextView a1, TextView a2, Text& result) {
    result = realMultWith(multiplyBlankFree, a1, a2);
}

}  // namespace kestrum::aserv::general
