#include "int_div.h"

#include "general/int_div.h"
#include "kernel/kernel.h"
#include "no_spaces.h"
#include "number_text.h"

namespace kestrum::aserv {

namespace {

// "-" in front of a result that is not "0".
void signUnlessZero(Text& text) {
    if (text != u"0") {
        text.insert(text.begin(), kMinus);
    }
}

}  // namespace

void intDiv(TextView a1, TextView a2, Text& m, Text& r, std::int16_t& er) {
    // Copies, not views: a1 or a2 may be the same variable as m or r. The divisor comes first:
    // a zero divisor ends the call before the dividend is read.
    const Text divisorText = noSpaces(a2);
    const SignedText divisor = splitSign(divisorText);
    if (!allDigits(divisor.magnitude)) {
        general::intDiv(a1, a2, m, r, er);
        return;
    }
    if (kernel::significantLength(divisor.magnitude) == 0) {
        m = u"0";
        r = u"0";
        er = 1;
        return;
    }
    const Text dividendText = noSpaces(a1);
    const SignedText dividend = splitSign(dividendText);
    if (!allDigits(dividend.magnitude)) {
        general::intDiv(a1, a2, m, r, er);
        return;
    }
    const bool negative = dividend.sign * divisor.sign < 0;
    const int order = kernel::compareMagnitudes(dividend.magnitude, divisor.magnitude);
    if (order == 0) {
        m = negative ? u"-1" : u"1";
        r = u"0";
        return;
    }
    if (order < 0) {
        m = u"0";
        r = stripLeadingZeros(dividend.magnitude);
    } else {
        kernel::Division division = kernel::divideMagnitudes(dividend.magnitude, divisor.magnitude);
        m = std::move(division.quotient);
        r = std::move(division.remainder);
    }
    if (negative) {
        signUnlessZero(m);
        signUnlessZero(r);
    }
}

}  // namespace kestrum::aserv
