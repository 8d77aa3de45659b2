#include "int_add_sub.h"

#include <utility>

#include "digit_operands.h"
#include "general/int_add_sub.h"
#include "int16.h"
#include "kernel/kernel.h"
#include "no_spaces.h"

namespace kestrum::aserv {

namespace {

// What subtraction gives for two digit-only magnitudes when `larger` is not smaller than
// `smaller`: "0" for equal values, `larger` as written when `smaller` is zero, else the
// difference in canonical form.
Text magnitudeDifference(TextView larger, TextView smaller) {
    if (kernel::compareMagnitudes(larger, smaller) == 0) {
        return u"0";
    }
    if (kernel::significantLength(smaller) == 0) {
        return Text(larger);
    }
    return kernel::subtractMagnitudes(larger, smaller);
}

}  // namespace

Text addBlankFree(TextView a, TextView b) {
    requireOperandLength(a);
    requireOperandLength(b);
    const SignedPair split = splitSigns(a, b);
    if (!digitsOnly(split)) {
        return general::addBlankFree(a, b);
    }
    const auto& [x, y] = split;
    if (x.sign == y.sign) {
        Text sum = kernel::addMagnitudes(x.magnitude, y.magnitude);
        return x.sign == -1 && sum != u"0" ? withSign(true, sum) : sum;
    }
    if (kernel::compareMagnitudes(x.magnitude, y.magnitude) >= 0) {
        Text difference = magnitudeDifference(x.magnitude, y.magnitude);
        return x.sign == -1 && difference != u"0" ? withSign(true, difference) : difference;
    }
    Text difference = magnitudeDifference(y.magnitude, x.magnitude);
    return x.sign == 1 ? withSign(true, difference) : difference;
}

Text subtractBlankFree(TextView a, TextView b) {
    requireOperandLength(a);
    requireOperandLength(b);
    const SignedPair split = splitSigns(a, b);
    if (!digitsOnly(split)) {
        return general::subtractBlankFree(a, b);
    }
    const auto& [x, y] = split;
    const int order = compareSigned(x, y);
    if (order == 0) {
        return u"0";
    }
    if (comparesEqualToZero(y)) {
        return Text(a);
    }
    if (x.sign != y.sign) {
        return withSign(order == -1, kernel::addMagnitudes(x.magnitude, y.magnitude));
    }
    TextView larger = x.magnitude;
    TextView smaller = y.magnitude;
    if ((order == -1 && x.sign == 1) || (order == 1 && x.sign == -1)) {
        std::swap(larger, smaller);
    }
    Text difference = kernel::subtractMagnitudes(larger, smaller);
    return order == -1 && difference != u"0" ? withSign(true, difference) : difference;
}

void intAdd(TextView a1, TextView a2, Text& result) {
    const BlankFreeText a(a1);
    const BlankFreeText b(a2);
    result = addBlankFree(a.view(), b.view());
}

void intSub(TextView a1, TextView a2, Text& result) {
    const BlankFreeText a(a1);
    const BlankFreeText b(a2);
    result = subtractBlankFree(a.view(), b.view());
}

}  // namespace kestrum::aserv
