#include "digits/magnitude_add_sub.h"

#include <cstddef>
#include <utility>

#include "kernel/digit_runs.h"
#include "kernel/kernel.h"

namespace kestrum::aserv {

namespace {

constexpr unsigned kDigitBase = 10;

unsigned digitOf(char16_t unit) {
    return static_cast<unsigned>(unit - kZero);
}

// Whether the sum of `longer` and `shorter` (both without leading zeros, `shorter` aligned at the
// right) may carry out of its top digit. From the top, the first column whose digits do not sum
// to 9 decides; beyond the first few columns the answer is "may", so only "no" is certain.
bool mayCarryOut(TextView longer, TextView shorter) {
    constexpr std::size_t kLookAhead = 16;
    const std::size_t high = longer.size() - shorter.size();
    for (std::size_t column = 0; column < longer.size(); ++column) {
        if (column == kLookAhead) {
            return true;
        }
        const unsigned sum =
            digitOf(longer[column]) + (column >= high ? digitOf(shorter[column - high]) : 0);
        if (sum != kDigitBase - 1) {
            return sum >= kDigitBase;
        }
    }
    return false;  // every column sums to 9, and nothing comes from below
}

// The sum into `out`, which shares no storage with a or b.
void writeSum(bool negative, TextView a, TextView b, Text& out) {
    a = kernel::stripLeadingZeros(a);
    b = kernel::stripLeadingZeros(b);
    if (a.size() < b.size()) {
        std::swap(a, b);
    }
    if (a.empty()) {
        out.assign(1, kZero);
        return;
    }
    const std::size_t sign = negative ? 1 : 0;
    const std::size_t slot = mayCarryOut(a, b) ? 1 : 0;
    const std::size_t high = a.size() - b.size();
    out.resize(sign + slot + a.size());
    char16_t* digits = out.data() + sign + slot;
    unsigned carry = kernel::addRuns(digits + high, a.substr(high), b, 0);
    carry = kernel::carryInto(digits, a.substr(0, high), carry);
    if (slot != 0) {
        digits[-1] = static_cast<char16_t>(kZero + carry);
        if (carry == 0) {
            out.erase(sign, 1);
        }
    }
    if (negative) {
        out[0] = kMinus;
    }
}

// The difference into `out`, which shares no storage with a or b.
void writeDifference(bool negative, TextView a, TextView b, Text& out) {
    a = kernel::stripLeadingZeros(a);
    b = kernel::stripLeadingZeros(b);
    if (a.size() == b.size()) {
        // Above the first difference the digits cancel. When the top remaining column differs by
        // 1 and a borrow comes into it, it cancels too: the columns below then give the digits,
        // with the borrow out of them dropped.
        std::size_t top = kernel::firstDifference(a, b);
        if (top == a.size()) {
            out.assign(1, kZero);
            return;
        }
        if (digitOf(a[top]) == digitOf(b[top]) + 1) {
            const std::size_t below = top + 1;
            const std::size_t differs =
                below + kernel::firstDifference(a.substr(below), b.substr(below));
            if (differs < a.size() && a[differs] < b[differs]) {
                top = below;
            }
        }
        a.remove_prefix(top);
        b.remove_prefix(top);
    }
    const std::size_t sign = negative ? 1 : 0;
    const std::size_t high = a.size() - b.size();
    out.resize(sign + a.size());
    char16_t* digits = out.data() + sign;
    const unsigned borrow = kernel::subtractRuns(digits + high, a.substr(high), b, 0);
    kernel::borrowFrom(digits, a.substr(0, high), borrow);
    // Zeros left at the top (a borrow that takes a leading 1 away, as in 1000 - 1) go.
    const std::size_t zeros = a.size() - kernel::significantLength(TextView(digits, a.size()));
    if (zeros != 0) {
        out.erase(sign, zeros);
    }
    if (negative) {
        out[0] = kMinus;
    }
}

// Runs `write` into `out`, or into a text aside when `out` holds an operand (the digits are
// written while the operands are read).
template <class Write>
void writeApart(TextView a, TextView b, Text& out, Write write) {
    if (sharesStorage(out, a) || sharesStorage(out, b)) {
        Text aside;
        write(aside);
        out = std::move(aside);
    } else {
        write(out);
    }
}

}  // namespace

void writeMagnitudeSum(bool negative, TextView a, TextView b, Text& out) {
    writeApart(a, b, out, [&](Text& target) { writeSum(negative, a, b, target); });
}

void writeMagnitudeDifference(bool negative, TextView a, TextView b, Text& out) {
    writeApart(a, b, out, [&](Text& target) { writeDifference(negative, a, b, target); });
}

}  // namespace kestrum::aserv
