#include "general/int_div.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "general/int_add_sub.h"
#include "general/int_comp.h"
#include "int16.h"
#include "no_spaces.h"
#include "number_text.h"

namespace kestrum::aserv::general {

namespace {

// "-" followed only by zeros: a zero divisor that the comparison ranks below 0.
bool isNegativeZero(TextView text) {
    return text.size() >= 2 && text.front() == kMinus &&
           std::all_of(text.begin() + 1, text.end(), [](char16_t c) { return c == kZero; });
}

// One quotient digit: subtracts the divisor from the window while the window is not smaller
// than it, and returns the number of subtractions. A window that a subtraction leaves unchanged
// would never shrink, so the count would run past 32767: that is error 6 at once.
long subtractRepeatedly(Text& window, TextView divisor) {
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

// Long division of the magnitudes, dividend larger than divisor: quotient digits are appended
// to `m` one per position of the dividend, and the last window becomes `r`.
void longDivision(TextView dividend, TextView divisor, Text& m, Text& r) {
    const std::size_t length = dividend.size();
    std::size_t position = divisor.size();
    Text window(firstChars(dividend, static_cast<long>(position)));
    while (position <= length) {
        const int order = compareBlankFree(window, divisor);
        const bool more = position < length;
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

// Final form: the remainder without leading zeros, "0" for an empty quotient or remainder, and
// "-" on both when the signs differ, except on a "0".
void finish(Text& m, Text& r, bool negative) {
    r = Text(stripLeadingZeros(r));
    if (m.empty()) {
        m = u"0";
    }
    if (negative && m != u"0") {
        m.insert(m.begin(), kMinus);
    }
    if (negative && r != u"0") {
        r.insert(r.begin(), kMinus);
    }
}

}  // namespace

void intDiv(TextView a1, TextView a2, Text& m, Text& r, std::int16_t& er) {
    std::int16_t zeroTest = 0;
    intComp(a2, u"0", zeroTest);
    const Text divisorText = noSpaces(a2);
    if (zeroTest == 0 || isNegativeZero(divisorText)) {
        m = u"0";
        r = u"0";
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
        r = u"0";
        m = negative ? u"-1" : u"1";
        return;
    }
    if (order < 0) {
        m = u"0";
        r = dividend.magnitude;
    } else {
        longDivision(dividend.magnitude, divisor.magnitude, m, r);
    }
    finish(m, r, negative);
}

}  // namespace kestrum::aserv::general
