#include "general/int_add_sub.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "general/int_comp.h"
#include "int16.h"
#include "no_spaces.h"
#include "number_text.h"

namespace kestrum::aserv::general {

namespace {

constexpr int kDigitBase = 10;

void requireDigits(TextView a, TextView b, int errorNumber) {
    if (!allDigits(a) || !allDigits(b)) {
        raise(errorNumber);
    }
}

// Sum of two digit strings, zero-filled to a common length; canonical form, no sign.
Text addDigits(TextView a, TextView b) {
    const std::size_t width = std::max(a.size(), b.size());
    Text sum(width + 1, kZero);
    int carry = 0;
    for (std::size_t i = width; i-- > 0;) {
        int s = (zeroFilledAt(a, width, i) - kZero) + (zeroFilledAt(b, width, i) - kZero) + carry;
        carry = s >= kDigitBase ? 1 : 0;
        s -= carry * kDigitBase;
        sum[i + 1] = static_cast<char16_t>(kZero + s);
    }
    sum[0] = static_cast<char16_t>(kZero + carry);
    return Text(stripLeadingZeros(sum));
}

// Difference of two digit strings, zero-filled to a common length, with `larger` not smaller
// than `smaller`; canonical form, no sign. A final borrow (none with digits in that order) is
// dropped.
Text subtractDigits(TextView larger, TextView smaller) {
    const std::size_t width = std::max(larger.size(), smaller.size());
    Text difference(width, kZero);
    int borrow = 0;
    for (std::size_t i = width; i-- > 0;) {
        const int x = zeroFilledAt(larger, width, i) - kZero;
        const int y = zeroFilledAt(smaller, width, i) - kZero;
        const int t = x - borrow;
        borrow = y > t ? 1 : 0;
        difference[i] = static_cast<char16_t>(kZero + t - y + borrow * kDigitBase);
    }
    return Text(stripLeadingZeros(difference));
}

}  // namespace

Text addBlankFree(TextView a, TextView b) {
    requireOperandLength(a);
    requireOperandLength(b);
    const auto [x, y] = splitSigns(a, b);
    if (x.sign == y.sign) {
        requireDigits(x.magnitude, y.magnitude, kNonDigitInAddition);
        Text sum = addDigits(x.magnitude, y.magnitude);
        const bool negative = x.sign == -1 && sum != u"0";
        return negative ? withSign(true, sum) : sum;
    }
    // Different signs: subtract the magnitude that is not smaller.
    const int order = compareBlankFree(x.magnitude, y.magnitude);
    if (order >= 0) {
        Text difference = subtractBlankFree(x.magnitude, y.magnitude);
        const bool negative = x.sign == -1 && difference != u"0";
        return negative ? withSign(true, difference) : difference;
    }
    Text difference = subtractBlankFree(y.magnitude, x.magnitude);
    return x.sign == 1 ? withSign(true, difference) : difference;
}

Text subtractBlankFree(TextView a, TextView b) {
    requireOperandLength(a);
    requireOperandLength(b);
    const int order = compareBlankFree(a, b);
    if (order == 0) {
        return u"0";
    }
    if (compareBlankFree(b, u"0") == 0) {
        return Text(a);
    }
    const auto [x, y] = splitSigns(a, b);
    if (x.sign != y.sign) {
        return withSign(order == -1, addBlankFree(x.magnitude, y.magnitude));
    }
    TextView larger = x.magnitude;
    TextView smaller = y.magnitude;
    if ((order == -1 && x.sign == 1) || (order == 1 && x.sign == -1)) {
        std::swap(larger, smaller);
    }
    requireDigits(larger, smaller, kNonDigitInSubtraction);
    Text difference = subtractDigits(larger, smaller);
    const bool negative = order == -1 && difference != u"0";
    return negative ? withSign(true, difference) : difference;
}

void intAdd(TextView a1, TextView a2, Text& result) {
    const Text a = noSpaces(a1);
    const Text b = noSpaces(a2);
    result = addBlankFree(a, b);
}

void intSub(TextView a1, TextView a2, Text& result) {
    const Text a = noSpaces(a1);
    const Text b = noSpaces(a2);
    result = subtractBlankFree(a, b);
}

}  // namespace kestrum::aserv::general
