#include "word/word_arithmetic.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "kernel/limb.h"
#include "word/word_operand.h"

namespace kestrum::aserv {

namespace {

using kernel::detail::kBaseDivisor;
using kernel::detail::Wide;

// The integer comparison of two signed values: a negative zero ranks below 0.
int compareSigned(const WordOperand& x, const WordOperand& y) {
    if (x.negative != y.negative) {
        return x.negative ? -1 : 1;
    }
    const int order = x.value == y.value ? 0 : (x.value > y.value ? 1 : -1);
    return x.negative ? -order : order;
}

// The canonical text of a word value, "-" in front when `negative` (even for zero).
void writeWord(bool negative, std::uint64_t value, Text& out) {
    const kernel::detail::LimbPair split = kernel::detail::splitWord(value);
    writeWordResult(negative, split.high, split.low, out);
}

bool readBoth(TextView a1, TextView a2, WordOperand& x, WordOperand& y) {
    return readWordOperand(a1, x) && readWordOperand(a2, y);
}

// The product of two values below 10^18 as high * 10^18 + low.
struct DoubleWord {
    std::uint64_t high = 0;
    std::uint64_t low = 0;
};

DoubleWord multiply(std::uint64_t a, std::uint64_t b) {
    // Below 10^36, so the high word is below 10^36 / 2^64 < 10^18, as the division needs.
    const Wide w = kernel::detail::mulWide(a, b);
    DoubleWord product;
    product.high =
        kBaseDivisor.divide(kernel::detail::highWord(w), kernel::detail::lowWord(w), product.low);
    return product;
}

// Writes a result with a point into `out` in one assignment: "-" when `negative`, the integer
// digits, the point and the fraction digits.
void writePointResult(bool negative, TextView integer, TextView fraction, Text& out) {
    std::array<char16_t, 2 * (2 * kWordOperandDigits + 1)> buffer;  // NOLINT: written first
    char16_t* end = buffer.data();
    if (negative) {
        *end++ = kMinus;
    }
    end = std::copy(integer.begin(), integer.end(), end);
    *end++ = kPoint;
    end = std::copy(fraction.begin(), fraction.end(), end);
    out.assign(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
}

}  // namespace

bool addWords(TextView a1, TextView a2, Text& result) {
    WordOperand x;
    WordOperand y;
    if (!readBoth(a1, a2, x, y)) {
        return false;
    }
    if (x.negative == y.negative) {
        const std::uint64_t sum = x.value + y.value;
        writeWord(x.negative && sum != 0, sum, result);
    } else if (x.value == y.value) {
        result.assign(1, kZero);
    } else if (y.value == 0 || x.value == 0) {
        // The smaller magnitude is zero: the larger one as written, with its sign.
        const TextView text = y.value == 0 ? a1 : a2;
        const bool negative = y.value == 0 ? x.negative : y.negative;
        const std::size_t digits = text.find_first_of(u"0123456789");
        result.assign(text.substr(digits));  // text may lie in result
        if (negative) {
            result.insert(result.begin(), kMinus);
        }
    } else if (x.value > y.value) {
        writeWord(x.negative, x.value - y.value, result);
    } else {
        writeWord(y.negative, y.value - x.value, result);
    }
    return true;
}

bool subtractWords(TextView a1, TextView a2, Text& result) {
    WordOperand x;
    WordOperand y;
    if (!readBoth(a1, a2, x, y)) {
        return false;
    }
    const int order = compareSigned(x, y);
    if (order == 0) {
        result.assign(1, kZero);
    } else if (!y.negative && y.value == 0) {
        result.assign(a1);
    } else if (x.negative != y.negative) {
        writeWord(order < 0, x.value + y.value, result);
    } else {
        const std::uint64_t difference = x.value > y.value ? x.value - y.value : y.value - x.value;
        writeWord(order < 0, difference, result);
    }
    return true;
}

bool compareWords(TextView a1, TextView a2, std::int16_t& result) {
    WordOperand x;
    WordOperand y;
    if (!readBoth(a1, a2, x, y)) {
        return false;
    }
    result = static_cast<std::int16_t>(compareSigned(x, y));
    return true;
}

bool multiplyWords(TextView a1, TextView a2, Text& result) {
    WordOperand x;
    WordOperand y;
    if (!readBoth(a1, a2, x, y)) {
        return false;
    }
    const DoubleWord product = multiply(x.value, y.value);
    writeWordResult(x.negative != y.negative, product.high, product.low, result);
    return true;
}

bool divideWords(TextView a1, TextView a2, Text& m, Text& r, std::int16_t& er) {
    WordOperand divisor;
    if (!readWordOperand(a2, divisor)) {
        return false;
    }
    if (divisor.value == 0) {
        m.assign(1, kZero);
        r.assign(1, kZero);
        er = 1;
        return true;
    }
    WordOperand dividend;
    if (!readWordOperand(a1, dividend)) {
        return false;
    }
    const bool negative = dividend.negative != divisor.negative;
    std::uint64_t remainder = 0;
    const std::uint64_t quotient =
        kernel::detail::divideValues(dividend.value, divisor.value, remainder);
    writeWord(negative && quotient != 0, quotient, m);
    writeWord(negative && remainder != 0, remainder, r);
    return true;
}

bool multiplyPointWords(TextView a1, TextView a2, Text& result) {
    ScaledWordOperand x;
    ScaledWordOperand y;
    if (!readScaledWordOperand(a1, x) || !readScaledWordOperand(a2, y)) {
        return false;
    }
    const auto isZeroText = [](TextView text) { return text == u"0"; };
    if (isZeroText(a1) || isZeroText(a2)) {
        result.assign(1, kZero);
        return true;
    }
    if (!x.point && !y.point) {
        return multiplyWords(a1, a2, result);
    }
    // The point goes in front of the last fractionLength digits of the product; "0" stands
    // before it when nothing else does, and zeros at the end of the fraction are dropped.
    const std::size_t fractionLength = x.fractionLength + y.fractionLength;
    const DoubleWord product = multiply(x.scaled, y.scaled);
    const WordDigits digits(product.high, product.low);
    const TextView padded = digits.padded();
    const TextView canonical = digits.canonical();
    TextView integer = u"0";
    if (canonical.size() > fractionLength) {
        integer = canonical.substr(0, canonical.size() - fractionLength);
    }
    TextView fraction = padded.substr(padded.size() - fractionLength);
    fraction = fraction.substr(0, fraction.find_last_not_of(kZero) + 1);
    writePointResult(x.negative != y.negative, integer, fraction, result);
    return true;
}

}  // namespace kestrum::aserv
