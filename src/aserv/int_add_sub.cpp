#include "int_add_sub.h"

#include <utility>

#include "digit_operands.h"
#include "general/int_add_sub.h"
#include "int16.h"
#include "kernel/kernel.h"
#include "operand.h"

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

Text add(const Operand& a, const Operand& b) {
    if (!a.digits() || !b.digits()) {
        return general::addBlankFree(a.text(), b.text());
    }
    const SignedText& x = a.split();
    const SignedText& y = b.split();
    if (x.sign == y.sign) {
        Text sum = kernel::addMagnitudes(x.magnitude, y.magnitude);
        const bool negative = x.sign == -1 && sum != u"0";
        return withSign(negative, std::move(sum));
    }
    if (kernel::compareMagnitudes(x.magnitude, y.magnitude) >= 0) {
        Text difference = magnitudeDifference(x.magnitude, y.magnitude);
        const bool negative = x.sign == -1 && difference != u"0";
        return withSign(negative, std::move(difference));
    }
    Text difference = magnitudeDifference(y.magnitude, x.magnitude);
    return withSign(x.sign == 1, std::move(difference));
}

Text subtract(const Operand& a, const Operand& b) {
    if (!a.digits() || !b.digits()) {
        return general::subtractBlankFree(a.text(), b.text());
    }
    const SignedText& x = a.split();
    const SignedText& y = b.split();
    const int order = compareSigned(x, y);
    if (order == 0) {
        return u"0";
    }
    if (comparesEqualToZero(y)) {
        return Text(a.text());
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
    const bool negative = order == -1 && difference != u"0";
    return withSign(negative, std::move(difference));
}

}  // namespace

// Operand reads blank-free texts in the same single pass, so these are the entry points too.
Text addBlankFree(TextView a, TextView b) {
    return add(Operand(a), Operand(b));
}

Text subtractBlankFree(TextView a, TextView b) {
    return subtract(Operand(a), Operand(b));
}

void intAdd(TextView a1, TextView a2, Text& result) {
    result = add(Operand(a1), Operand(a2));
}

void intSub(TextView a1, TextView a2, Text& result) {
    result = subtract(Operand(a1), Operand(a2));
}

}  // namespace kestrum::aserv
