#include "general/real_mult.h"

#include <utility>

#include "general/int_mult.h"
#include "text/int16.h"
#include "text/no_spaces.h"
#include "text/number_text.h"
#include "text/point_split.h"

namespace kestrum::aserv::general {

namespace {

bool isZeroText(TextView text) {
    return text.empty() || text == u"." || text == u"0";
}

}  // namespace

void realMultWith(MultiplyStep multiply, TextView a1, TextView a2, Text& result) {
    const BlankFreeText blankFreeA(a1);
    const BlankFreeText blankFreeB(a2);
    const TextView a = blankFreeA.view();
    const TextView b = blankFreeB.view();
    if (isZeroText(a) || isZeroText(b)) {
        result.assign(1, kZero);
        return;
    }
    if (pointPosition(a) == 0 && pointPosition(b) == 0) {
        multiply(a, b, result);
        return;
    }
    const PointSplit first = splitAtPoint(a);
    const PointSplit second = splitAtPoint(b);
    const long fractionLength = checked16(static_cast<long>(first.fractionPart.size()) +
                                          static_cast<long>(second.fractionPart.size()));
    const ScaledText n1(first, first.fractionPart.size());
    const ScaledText n2(second, second.fractionPart.size());
    // The result is built in place unless it may come out too long: then it is built aside, so
    // that the error leaves `result` as it was.
    const bool mayBeTooLong = n1.view().size() + n2.view().size() + 3 > kMaxOperandLength;
    Text aside;
    Text& out = mayBeTooLong ? aside : result;
    out.reserve(n1.view().size() + n2.view().size() + 3);  // room for the point and "0."
    multiply(n1.view(), n2.view(), out);

    // The point goes in front of the last fractionLength digits. When the product has no more
    // digits than that, "0." and zeros up to the fraction length go in front of them instead.
    const std::size_t start = !out.empty() && out.front() == kMinus ? 1 : 0;
    const long count = lengthOf(out) - static_cast<long>(start);
    if (count > fractionLength) {
        out.insert(out.begin() + static_cast<long>(start) + count - fractionLength, kPoint);
    } else {
        out.insert(start, static_cast<std::size_t>(fractionLength - count) + 2, kZero);
        out[start + 1] = kPoint;
    }
    requireOperandLength(out);  // the trailing-zero scan takes its length, then removes blanks
    out.erase(out.find_last_not_of(kZero) + 1);
    if (mayBeTooLong) {
        result = std::move(aside);
    }
}

void realMult(TextView a1, TextView a2, Text& result) {
    realMultWith([](TextView a, TextView b, Text& product) { product = multiplyBlankFree(a, b); },
                 a1, a2, result);
}

}  // namespace kestrum::aserv::general
