#include "general/int_mult.h"

#include <cstddef>
#include <utility>

#include "general/int_add_sub.h"
#include "text/int16.h"
#include "text/no_spaces.h"
#include "text/number_text.h"

namespace kestrum::aserv::general {

namespace {

// One row of long multiplication: `digits` times the single digit `d`, with the final carry in
// front when it is not 0, followed by `shift` zeros.
Text partialProduct(TextView digits, int d, std::size_t shift) {
    Text row(digits.size() + 1 + shift, kZero);
    int carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        const int t = d * (digits[i] - kZero) + carry;
        carry = t / 10;
        row[i + 1] = static_cast<char16_t>(kZero + t - carry * 10);
    }
    if (carry == 0) {
        row.erase(0, 1);
    } else {
        row[0] = static_cast<char16_t>(kZero + carry);
    }
    return row;
}

}  // namespace

Text multiplyBlankFree(TextView a, TextView b) {
    requireOperandLength(a);
    requireOperandLength(b);
    const auto [x, y] = splitSigns(a, b);
    TextView multiplicand = x.magnitude;
    TextView multiplier = y.magnitude;
    if (multiplicand.size() < multiplier.size()) {
        std::swap(multiplicand, multiplier);
    }
    if (!allDigits(multiplicand) || !allDigits(multiplier)) {
        raise(kNonDigitInAddition);
    }
    Text sum = u"0";
    std::size_t shift = 0;
    for (std::size_t j = multiplier.size(); j-- > 0; ++shift) {
        Text row;
        if (multiplier[j] != kZero) {
            row = partialProduct(multiplicand, multiplier[j] - kZero, shift);
        }
        sum = addBlankFree(row, sum);
    }
    return withSign(x.sign * y.sign < 0, std::move(sum));
}

void intMult(TextView a1, TextView a2, Text& result) {
    const Text a = noSpaces(a1);
    const Text b = noSpaces(a2);
    result = multiplyBlankFree(a, b);
}

}  // namespace kestrum::aserv::general
