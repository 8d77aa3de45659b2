#include "general/int_div.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>

#include "general/int_add_sub.h"
#include "general/int_comp.h"
#include "kernel/kernel.h"
#include "text/int16.h"
#include "text/no_spaces.h"
#include "text/number_text.h"

namespace kestrum::aserv::general {

namespace {

// "-" followed only by zeros: a zero divisor that the comparison ranks below 0.
bool isNegativeZero(TextView text) {
    return text.size() >= 2 && text.front() == kMinus &&
           std::all_of(text.begin() + 1, text.end(), [](char16_t c) { return c == kZero; });
}

// A divisor magnitude made of a run of "-" signs and then digits, as division by "--7" or
// "+-7" leaves it. It ranks below every window of digits, so such a window is always at least as
// large, and subtracting it from such a window acts as one "-" or two: every further pair of
// signs passes the operands once through addition and back to subtraction unchanged.
struct MinusRun {
    std::size_t signs = 0;
    TextView digits;
};

std::optional<MinusRun> minusRun(TextView divisor) {
    const std::size_t signs = divisor.find_first_not_of(kMinus);
    if (signs == 0 || signs == TextView::npos || !allDigits(divisor.substr(signs))) {
        return std::nullopt;
    }
    return MinusRun{signs, divisor.substr(signs)};
}

// The repeated subtraction of a minus-run divisor from a window of digits, without looping:
// - an odd run adds the digits every time, so the window only grows and the count runs past
//   32767: error 6;
// - an even run subtracts them: with k the quotient of window and digits, k + 1 subtractions
//   take the window below zero, where it ranks below the divisor. The last one leaves "-" and
//   the digits minus the window's remainder (the digits as written when that remainder is 0).
long subtractMinusRun(Text& window, const MinusRun& run) {
    if (run.signs % 2 == 1 || kernel::significantLength(run.digits) == 0) {
        raise(kOverflow);
    }
    const kernel::Division division = kernel::divideMagnitudes(window, run.digits);
    const TextView quotient = division.quotient;
    long whole = 0;
    for (const char16_t digit : quotient.substr(0, 5)) {
        whole = whole * 10 + (digit - kZero);
    }
    if (quotient.size() > 5 || whole >= kInt16Max) {
        raise(kOverflow);
    }
    const long count = whole + 1;
    Text last = division.remainder == u"0"
                    ? Text(run.digits)
                    : kernel::subtractMagnitudes(run.digits, division.remainder);
    window = withSign(true, std::move(last));
    return count;
}

// One quotient digit: subtracts the divisor from the window while the window is not smaller
// than it, and returns the number of subtractions. A loop that can never end (a subtraction
// that leaves the window unchanged) is error 6 at once, as the count would run past 32767.
long subtractRepeatedly(Text& window, TextView divisor) {
    if (const auto run = minusRun(divisor); run && allDigits(window)) {
        return subtractMinusRun(window, *run);
    }
    long count = 1;
    for (;;) {
        Text next = subtractBlankFree(window, divisor);
        if (next == window) {
            raise(kOverflow);
        }
        window = std::move(next);
        if (compareBlankFree(window, divisor) < 0) {
            return count;
        }
        count = checked16(count + 1);
    }
}

// Whether a window that compares below a divisor of digits stays below it whatever characters
// are appended: when its sign decides (a "-" that the sign split keeps), or when the comparison
// is decided inside the part that the divisor's zero-fill covers, by a character below "0".
bool smallerWhateverFollows(TextView window, TextView divisor) {
    if (!allDigits(divisor) || window.size() < 2) {
        return false;
    }
    const SignedText split = splitSign(window);
    if (split.magnitude.empty()) {
        return false;
    }
    if (split.sign == -1) {
        return true;
    }
    const TextView magnitude = split.magnitude;
    if (magnitude.size() <= divisor.size()) {
        return false;
    }
    const std::size_t fill = magnitude.size() - divisor.size();
    const std::size_t first = magnitude.find_first_not_of(kZero);
    return first < fill && magnitude[first] < kZero;
}

}  // namespace

void longDivisionFrom(TextView dividend, TextView divisor, std::size_t position, Text window,
                      Text& m, Text& r) {
    const std::size_t length = dividend.size();
    while (position <= length) {
        const int order = compareBlankFree(window, divisor);
        const bool more = position < length;
        if (order < 0 && smallerWhateverFollows(window, divisor)) {
            // Every remaining position finds the window smaller again: a "0" each, no subtraction.
            if (!m.empty()) {
                m.append(length - position + 1, kZero);
            }
            window.append(dividend.substr(position));
            break;
        }
        if (order == 0) {
            m.push_back(u'1');
            window = more ? Text(1, dividend[position]) : Text();
        } else {
            if (order < 0) {
                if (!m.empty()) {
                    m.push_back(kZero);
                }
            } else {
                m.push_back(charForCode(long{'0'} + subtractRepeatedly(window, divisor)));
            }
            if (more) {
                window.push_back(dividend[position]);
            }
        }
        ++position;
    }
    r = std::move(window);
}

namespace {

// Long division of the magnitudes, dividend larger than divisor: quotient digits are appended
// to `m` one per position of the dividend, and the last window becomes `r`.
void longDivision(TextView dividend, TextView divisor, Text& m, Text& r) {
    const std::size_t start = divisor.size();
    longDivisionFrom(dividend, divisor, start, Text(firstChars(dividend, static_cast<long>(start))),
                     m, r);
}

}  // namespace

void finishDivision(Text& m, Text& r, bool negative) {
    const TextView remainder = stripLeadingZeros(r);
    if (remainder.size() != r.size()) {
        r = Text(remainder);
    }
    if (m.empty()) {
        m = Text(u"0");
    }
    if (negative && m != u"0") {
        m.insert(m.begin(), kMinus);
    }
    if (negative && r != u"0") {
        r.insert(r.begin(), kMinus);
    }
}

void intDiv(TextView a1, TextView a2, Text& m, Text& r, std::int16_t& er) {
    std::int16_t zeroTest = 0;
    intComp(a2, u"0", zeroTest);
    const Text divisorText = noSpaces(a2);
    if (zeroTest == 0 || isNegativeZero(divisorText)) {
        m = Text(u"0");
        r = Text(u"0");
        er = 1;
        return;
    }
    const Text dividendText = noSpaces(a1);
    r.clear();
    m.clear();
    auto [dividend, divisor] = splitSigns(dividendText, divisorText);
    const bool negative = dividend.sign * divisor.sign < 0;
    // A divisor written with leading zeros is divided by its value.
    divisor.magnitude = stripLeadingZeros(divisor.magnitude);

    const int order = compareBlankFree(dividend.magnitude, divisor.magnitude);
    if (order == 0) {
        r = Text(u"0");
        m = Text(negative ? u"-1" : u"1");
        return;
    }
    if (order < 0) {
        m = Text(u"0");
        r = dividend.magnitude;
    } else {
        longDivision(dividend.magnitude, divisor.magnitude, m, r);
    }
    finishDivision(m, r, negative);
}

}  // namespace kestrum::aserv::general
