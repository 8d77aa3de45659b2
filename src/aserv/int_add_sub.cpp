#include "int_add_sub.h"

#include <utility>

#include "digits/digit_operands.h"
#include "digits/magnitude_add_sub.h"
#include "digits/operand.h"
#include "general/int_add_sub.h"
#include "kernel/kernel.h"
#include "text/int16.h"
#include "word/word_arithmetic.h"

namespace kestrum::aserv {

namespace {

// What subtraction gives for two digit-only magnitudes when `larger` is not smaller than
// `smaller`: "0" for equal values, `larger` as written when `smaller` is zero, else the
// difference in canonical form; "-" in front when `negative` and the result is not "0".
void magnitudeDifference(bool negative, TextView larger, TextView smaller, Text& out) {
    if (kernel::significantLength(smaller) == 0 && kernel::significantLength(larger) != 0) {
        out.assign(larger);
        prependSign(negative, out);
    } else {
        writeMagnitudeDifference(negative, larger, smaller, out);
    }
}

// The results are written into `result`, whose storage is reused.
void add(const Operand& a, const Operand& b, Text& result) {
    if (!a.digits() || !b.digits()) {
        result = general::addBlankFree(a.text(), b.text());
        return;
    }
    const SignedText& x = a.split();
    const SignedText& y = b.split();
    if (x.sign == y.sign) {
        writeMagnitudeSum(x.sign == -1, x.magnitude, y.magnitude, result);
    } else if (kernel::compareMagnitudes(x.magnitude, y.magnitude) >= 0) {
        magnitudeDifference(x.sign == -1, x.magnitude, y.magnitude, result);
    } else {
        magnitudeDifference(x.sign == 1, y.magnitude, x.magnitude, result);
    }
}

void subtract(const Operand& a, const Operand& b, Text& result) {
    if (!a.digits() || !b.digits()) {
        result = general::subtractBlankFree(a.text(), b.text());
        return;
    }
    const SignedText& x = a.split();
    const SignedText& y = b.split();
    const int order = compareSigned(x, y);
    if (order == 0) {
        result.assign(1, u'0');
    } else if (comparesEqualToZero(y)) {
        result.assign(a.text());
    } else if (x.sign != y.sign) {
        writeMagnitudeSum(order == -1, x.magnitude, y.magnitude, result);
    } else {
        TextView larger = x.magnitude;
        TextView smaller = y.magnitude;
        if ((order == -1 && x.sign == 1) || (order == 1 && x.sign == -1)) {
            std::swap(larger, smaller);
        }
        writeMagnitudeDifference(order == -1, larger, smaller, result);
    }
}

}  // namespace

// Operand reads blank-free texts in the same single pass, so these are the entry points too.
Text addBlankFree(TextView a, TextView b) {
    Text sum;
    add(Operand(a), Operand(b), sum);
    return sum;
}

Text subtractBlankFree(TextView a, TextView b) {
    Text difference;
    subtract(Operand(a), Operand(b), difference);
    return difference;
}

void intAdd(TextView a1, TextView a2, Text& result) {
    if (addWords(a1, a2, result)) {
        return;
    }
    add(Operand(a1), Operand(a2), result);
}

void intSub(TextView a1, TextView a2, Text& result) {
    if (subtractWords(a1, a2, result)) {
        return;
    }
    subtract(Operand(a1), Operand(a2), result);
}

}  // namespace kestrum::aserv
