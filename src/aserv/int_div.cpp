#include "int_div.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "digits/operand.h"
#include "general/int_comp.h"
#include "general/int_div.h"
#include "kernel/kernel.h"
#include "text/number_text.h"
#include "word/word_arithmetic.h"

namespace kestrum::aserv {

namespace {

// Long division of a dividend whose magnitude holds a non-digit, by a non-zero divisor of
// digits without leading zeros, when the dividend is the larger. The digits in front of the
// first non-digit are divided by the kernel; the window that long division would hold when the
// non-digit arrives is rebuilt from that quotient and remainder, and the division goes on step
// by step from there. Returns false, having written nothing, when the non-digit is part of the
// first window.
bool divideFromDigitPrefix(TextView dividend, TextView divisor, Text& m, Text& r) {
    const std::size_t prefixLength = static_cast<std::size_t>(
        std::find_if_not(dividend.begin(), dividend.end(), isDigit) - dividend.begin());
    if (prefixLength < divisor.size()) {
        return false;
    }
    const TextView prefix = dividend.substr(0, prefixLength);
    const kernel::Division division = kernel::divideMagnitudes(prefix, divisor);
    Text window;
    if (division.quotient == u"0") {
        m.clear();
        window = prefix;  // every window so far was smaller: nothing was subtracted
    } else {
        // Since the last non-zero quotient digit, every window was smaller and only grew: it is
        // what that digit's step left, followed by the digits after it.
        const TextView quotient = division.quotient;
        const std::size_t after = quotient.size() - 1 - quotient.find_last_not_of(kZero);
        const TextView remainder = division.remainder;
        const bool stepLeftZero = remainder == u"0" || remainder.size() <= after;
        if (!stepLeftZero) {
            window = remainder.substr(0, remainder.size() - after);
        } else if (quotient[quotient.size() - 1 - after] != u'1') {
            window = Text(u"0");  // the subtractions ended exactly at zero
        }  // else the window equalled the divisor, and the next character started a new one
        window.append(prefix.substr(prefixLength - after));
        m = quotient;
    }
    window.push_back(dividend[prefixLength]);
    r.clear();
    general::longDivisionFrom(dividend, divisor, prefixLength + 1, std::move(window), m, r);
    return true;
}

}  // namespace

void intDiv(TextView a1, TextView a2, Text& m, Text& r, std::int16_t& er) {
    if (divideWords(a1, a2, m, r, er)) {
        return;
    }
    // The operands are read in place unless m or r holds one of them (the outputs are written
    // while the dividend is still being read). The divisor comes first: a zero divisor ends the
    // call before the dividend is read.
    const bool outputsHoldOperand = sharesStorage(m, a1) || sharesStorage(m, a2) ||
                                    sharesStorage(r, a1) || sharesStorage(r, a2);
    const Text dividendCopy = outputsHoldOperand ? Text(a1) : Text();
    const Text divisorCopy = outputsHoldOperand ? Text(a2) : Text();
    const TextView dividendSource = outputsHoldOperand ? TextView(dividendCopy) : a1;
    const TextView divisorSource = outputsHoldOperand ? TextView(divisorCopy) : a2;
    const Operand divisorOperand(divisorSource);
    const SignedText& divisor = divisorOperand.split();
    if (!divisorOperand.digits()) {
        general::intDiv(a1, a2, m, r, er);
        return;
    }
    if (kernel::significantLength(divisor.magnitude) == 0) {
        m = Text(u"0");
        r = Text(u"0");
        er = 1;
        return;
    }
    const Operand dividendOperand(dividendSource);
    const SignedText& dividend = dividendOperand.split();
    const bool negative = dividend.sign * divisor.sign < 0;
    if (!dividendOperand.digits()) {
        const TextView divisorDigits = kernel::stripLeadingZeros(divisor.magnitude);
        if (general::compareBlankFree(dividend.magnitude, divisorDigits) > 0 &&
            divideFromDigitPrefix(dividend.magnitude, divisorDigits, m, r)) {
            general::finishDivision(m, r, negative);
        } else {
            general::intDiv(a1, a2, m, r, er);
        }
        return;
    }
    const int order = kernel::compareMagnitudes(dividend.magnitude, divisor.magnitude);
    if (order == 0) {
        m = Text(negative ? u"-1" : u"1");
        r = Text(u"0");
        return;
    }
    if (order < 0) {
        r = stripLeadingZeros(dividend.magnitude);
        m = Text(u"0");
    } else {
        kernel::Division division = kernel::divideMagnitudes(dividend.magnitude, divisor.magnitude);
        m = std::move(division.quotient);
        r = std::move(division.remainder);
    }
    general::finishDivision(m, r, negative);
}

}  // namespace kestrum::aserv
