#include "int_mult.h"

#include <cstddef>
#include <utility>

#include "digits/operand.h"
#include "kernel/kernel.h"
#include "text/int16.h"
#include "text/number_text.h"
#include "word/word_arithmetic.h"

namespace kestrum::aserv {

namespace {

constexpr std::size_t kTooLong = kMaxOperandLength + 1;  // what blank removal refuses

// Whether `digit` times the value of `digits` needs one digit more than `digits` has.
bool rowCarries(TextView digits, int digit) {
    int carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        carry = (digit * (digits[i] - kZero) + carry) / 10;
    }
    return carry != 0;
}

// Long multiplication adds each partial product (the multiplicand times one multiplier digit,
// shifted) to a running sum, and both go through blank removal, which refuses 32767 characters.
// The longest partial product belongs to the leftmost non-zero multiplier digit, and the longest
// running sum that is read again is the one before the last row: the multiplicand times the
// multiplier without its first digit. Raises error 6 exactly when one of them is too long.
void requireRowsWithinLimit(TextView multiplicand, TextView multiplier) {
    const std::size_t leading = multiplier.find_first_not_of(kZero);
    if (leading == TextView::npos) {
        return;  // no partial product is formed; the sum stays "0"
    }
    const std::size_t shift = multiplier.size() - 1 - leading;
    const std::size_t row = multiplicand.size() + shift;
    if (row >= kTooLong ||
        (row + 1 == kTooLong && rowCarries(multiplicand, multiplier[leading] - kZero))) {
        raise(kOverflow);
    }
    if (multiplier.size() < 2) {
        return;
    }
    const TextView rest = multiplier.substr(1);
    const std::size_t restDigits = kernel::significantLength(rest);
    const std::size_t multiplicandDigits = kernel::significantLength(multiplicand);
    if (restDigits == 0 || multiplicandDigits == 0) {
        return;
    }
    const std::size_t longest =
        multiplicandDigits + restDigits;  // the product has this or one less
    if (longest - 1 >= kTooLong ||
        (longest == kTooLong &&
         kernel::multiplyMagnitudes(multiplicand, rest).size() >= kTooLong)) {
        raise(kOverflow);
    }
}

// The product is written into `result`, whose storage is reused.
void multiply(const Operand& a, const Operand& b, Text& result) {
    const SignedText& x = a.split();
    const SignedText& y = b.split();
    if (!a.digits() || !b.digits()) {
        raise(kNonDigitInAddition);
    }
    TextView multiplicand = x.magnitude;
    TextView multiplier = y.magnitude;
    if (multiplicand.size() < multiplier.size()) {
        std::swap(multiplicand, multiplier);
    }
    requireRowsWithinLimit(multiplicand, multiplier);
    if (multiplier.empty()) {
        result.assign(1, u'0');
    } else {
        kernel::multiplyMagnitudes(multiplicand, multiplier, result);
    }
    prependSign(x.sign * y.sign < 0, result);
}

}  // namespace

// Operand reads blank-free texts in the same single pass, so this is the entry point too.
void multiplyBlankFree(TextView a, TextView b, Text& product) {
    multiply(Operand(a), Operand(b), product);
}

void intMult(TextView a1, TextView a2, Text& result) {
    if (multiplyWords(a1, a2, result)) {
        return;
    }
    multiply(Operand(a1), Operand(a2), result);
}

}  // namespace kestrum::aserv
