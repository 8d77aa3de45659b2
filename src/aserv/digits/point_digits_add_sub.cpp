#include "digits/point_digits_add_sub.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <utility>

#include "digits/point_digits.h"
#include "digits/point_result.h"
#include "kernel/digit_runs.h"
#include "kernel/kernel.h"
#include "text/int16.h"

namespace kestrum::aserv {

namespace {

constexpr unsigned kDigitBase = 10;

unsigned digitOf(char16_t unit) {
    return static_cast<unsigned>(unit - kZero);
}

// The digit of an operand at an integer position (0 for the units, counting leftwards) or at a
// fraction position (0 for the tenths, counting rightwards); 0 where the operand has none.
unsigned integerDigit(const PointDigits& x, std::size_t position) {
    return position < x.integer.size() ? digitOf(x.integer[x.integer.size() - 1 - position]) : 0;
}

unsigned fractionDigit(const PointDigits& x, std::size_t position) {
    return position < x.fraction.size() ? digitOf(x.fraction[position]) : 0;
}

// Whether the sum of the magnitudes may carry out of its top position. From the top, the first
// position whose digits do not sum to 9 decides; beyond the first few positions the answer is
// "may", so only "no" is certain.
bool mayCarryOut(const PointDigits& x, const PointDigits& y, std::size_t integerLength,
                 std::size_t fractionLength) {
    constexpr std::size_t kLookAhead = 16;
    for (std::size_t step = 0; step < kLookAhead; ++step) {
        unsigned sum = 0;
        if (step < integerLength) {
            const std::size_t position = integerLength - 1 - step;
            sum = integerDigit(x, position) + integerDigit(y, position);
        } else if (step - integerLength < fractionLength) {
            const std::size_t position = step - integerLength;
            sum = fractionDigit(x, position) + fractionDigit(y, position);
        } else {
            return false;  // every digit sum is 9, and nothing comes from below
        }
        if (sum != kDigitBase - 1) {
            return sum >= kDigitBase;
        }
    }
    return true;
}

// |x| + |y|, negated when `negative`.
void addMagnitudes(bool negative, const PointDigits& x, const PointDigits& y, Text& out) {
    const bool xIntegerLonger = x.integer.size() >= y.integer.size();
    const TextView longInteger = xIntegerLonger ? x.integer : y.integer;
    const TextView shortInteger = xIntegerLonger ? y.integer : x.integer;
    const bool xFractionLonger = x.fraction.size() >= y.fraction.size();
    const TextView longFraction = xFractionLonger ? x.fraction : y.fraction;
    const TextView shortFraction = xFractionLonger ? y.fraction : x.fraction;
    const std::size_t integerLength = longInteger.size();
    const std::size_t fractionLength = longFraction.size();
    // A slot in front for a carry out, or for the "0" of a sum below 1 whose tenths are zero.
    const bool lead = mayCarryOut(x, y, integerLength, fractionLength) ||
                      (integerLength == 0 && fractionDigit(x, 0) + fractionDigit(y, 0) == 0);
    PointResult result(out, negative, integerLength + (lead ? 1 : 0), fractionLength);

    char16_t* fraction = result.fraction();
    const std::size_t overlap = shortFraction.size();
    const TextView tail = longFraction.substr(overlap);
    std::copy(tail.begin(), tail.end(), fraction + overlap);
    unsigned carry = kernel::addRuns(fraction, longFraction.substr(0, overlap), shortFraction, 0);
    const std::size_t common = shortInteger.size();
    carry = kernel::addRuns(result.integerEnd() - common,
                            longInteger.substr(integerLength - common), shortInteger, carry);
    carry = kernel::carryInto(result.integerEnd() - integerLength,
                              longInteger.substr(0, integerLength - common), carry);
    if (lead) {
        *result.integerBegin() = static_cast<char16_t>(kZero + carry);
    }
    result.finish();
}

// Where two magnitudes first differ, seen from the top.
struct Comparison {
    int order = 0;  // -1, 0 or 1 as |x| is smaller than, equal to or larger than |y|
    bool integer = false;
    std::size_t position = 0;  // an integer or fraction position, as `integer` says
};

Comparison compareMagnitudes(const PointDigits& x, const PointDigits& y) {
    const std::size_t integerLength = std::max(x.integer.size(), y.integer.size());
    if (x.integer.size() != y.integer.size()) {
        return {x.integer.size() > y.integer.size() ? 1 : -1, true, integerLength - 1};
    }
    const std::size_t i = kernel::firstDifference(x.integer, y.integer);
    if (i < integerLength) {
        return {x.integer[i] > y.integer[i] ? 1 : -1, true, integerLength - 1 - i};
    }
    const std::size_t overlap = std::min(x.fraction.size(), y.fraction.size());
    const std::size_t f =
        kernel::firstDifference(x.fraction.substr(0, overlap), y.fraction.substr(0, overlap));
    if (f < overlap) {
        return {x.fraction[f] > y.fraction[f] ? 1 : -1, false, f};
    }
    const bool xLonger = x.fraction.size() > y.fraction.size();
    const TextView tail = (xLonger ? x.fraction : y.fraction).substr(overlap);
    const std::size_t zeros = tail.size() - kernel::significantLength(tail);
    if (zeros == tail.size()) {
        return {};
    }
    return {xLonger ? 1 : -1, false, overlap + zeros};
}

// |x| - |y|, negated when `negative`: x + y for operands of different signs and x - y for
// operands of the same sign, `negative` being the sign of x.
void subtractMagnitudes(bool negative, const PointDigits& x, const PointDigits& y, Text& out) {
    const Comparison comparison = compareMagnitudes(x, y);
    if (comparison.order == 0) {
        out.assign(1, kZero);
        return;
    }
    const PointDigits& larger = comparison.order > 0 ? x : y;
    const PointDigits& smaller = comparison.order > 0 ? y : x;
    // Above the first difference the digits are equal: the difference has zeros there, which
    // the result leaves out.
    const std::size_t integerLength = comparison.integer ? comparison.position + 1 : 0;
    // Below 1: a slot for the "0" before the point, for zero tenths or tenths that a borrow may
    // take to zero.
    const bool lead =
        !comparison.integer &&
        (comparison.position > 0 || fractionDigit(larger, 0) == fractionDigit(smaller, 0) + 1);
    const std::size_t fractionLength = std::max(larger.fraction.size(), smaller.fraction.size());
    PointResult result(out, negative == (comparison.order > 0), integerLength + (lead ? 1 : 0),
                       fractionLength);

    char16_t* fraction = result.fraction();
    const std::size_t overlap = std::min(larger.fraction.size(), smaller.fraction.size());
    unsigned borrow = 0;
    if (larger.fraction.size() >= smaller.fraction.size()) {
        const TextView tail = larger.fraction.substr(overlap);
        std::copy(tail.begin(), tail.end(), fraction + overlap);
    } else {
        borrow = kernel::subtractFromZero(fraction + overlap, smaller.fraction.substr(overlap));
    }
    borrow = kernel::subtractRuns(fraction, larger.fraction.substr(0, overlap),
                                  smaller.fraction.substr(0, overlap), borrow);
    const std::size_t common = std::min(smaller.integer.size(), integerLength);
    const TextView largerDigits = larger.integer.substr(larger.integer.size() - integerLength);
    borrow = kernel::subtractRuns(result.integerEnd() - common,
                                  largerDigits.substr(integerLength - common),
                                  smaller.integer.substr(smaller.integer.size() - common), borrow);
    kernel::borrowFrom(result.integerEnd() - integerLength,
                       largerDigits.substr(0, integerLength - common), borrow);
    result.finish();
}

// The general path scales operands to integers with the same number of fraction digits, at
// least one, when either has a point; a scaled text longer than an operand may be raises error 6
// there.
bool scalesWithinLimit(const PointDigits& x, const PointDigits& y) {
    if (!x.point && !y.point) {
        return true;
    }
    const std::size_t fractionLength =
        std::max({std::size_t{1}, x.fraction.size(), y.fraction.size()});
    return std::max(x.before, std::size_t{1}) + fractionLength <= kMaxOperandLength &&
           std::max(y.before, std::size_t{1}) + fractionLength <= kMaxOperandLength;
}

bool combine(bool subtract, TextView a1, TextView a2, Text& result) {
    const std::optional<PointDigits> x = readPointDigits(a1);
    if (!x || x->zero()) {
        return false;
    }
    const std::optional<PointDigits> y = readPointDigits(a2);
    if (!y || y->zero() || !scalesWithinLimit(*x, *y)) {
        return false;
    }
    // The digits are written while the operands are read, so a result text that holds an
    // operand is written aside and replaced at the end.
    const bool sharesOperand = sharesStorage(result, a1) || sharesStorage(result, a2);
    Text aside;
    Text& out = sharesOperand ? aside : result;
    // No length check on the sum: from scaled operands of at most 32766 units it has at most
    // 32767, sign included.
    if ((x->negative == y->negative) != subtract) {
        addMagnitudes(x->negative, *x, *y, out);
    } else {
        subtractMagnitudes(x->negative, *x, *y, out);
    }
    if (sharesOperand) {
        result = std::move(aside);
    }
    return true;
}

}  // namespace

bool addPointDigits(TextView a1, TextView a2, Text& result) {
    return combine(false, a1, a2, result);
}

bool subtractPointDigits(TextView a1, TextView a2, Text& result) {
    return combine(true, a1, a2, result);
}

}  // namespace kestrum::aserv
