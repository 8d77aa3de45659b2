#include "word/word_operand.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "kernel/digit_groups.h"
#include "kernel/digits.h"
#include "kernel/limb.h"

namespace kestrum::aserv {

namespace {

// Four code units at `p` as a value below 10^4, or false when one of them is not a digit. Each
// unit must have no bits above the low seven, and then unit + 0x46 stays below 0x80 and
// (unit | 0x80) - 0x30 keeps bit 7 exactly for the digits; no lane carries into the next.
bool read4(const char16_t* p, std::uint64_t& value) {
    constexpr std::uint64_t kAboveSeven = 0xFF80'FF80'FF80'FF80ULL;
    constexpr std::uint64_t kBitSeven = 0x0080'0080'0080'0080ULL;
    constexpr std::uint64_t kAboveNine = 0x0046'0046'0046'0046ULL;
    const std::uint64_t x = kernel::detail::groups::load4(p);
    const std::uint64_t outside =
        (x & kAboveSeven) |
        (((x + kAboveNine) | ~((x | kBitSeven) - kernel::detail::groups::kZeros4)) & kBitSeven);
    if (outside != 0) {
        return false;
    }
    const std::uint64_t digits = x - kernel::detail::groups::kZeros4;
    const std::uint64_t pairs = (digits * 10 + (digits >> 16)) & 0x0000'FFFF'0000'FFFFULL;
    value = (pairs & 0xFFFFU) * 100 + (pairs >> 32);
    return true;
}

// The value of up to 19 digits given in parts of one or four digits, most significant first.
// Narrow words gather up to nine digits in one 32-bit word and fold it into the 64-bit value
// with one product when the next part would not fit, where a 64-bit multiplication for every
// part takes three 32-bit ones.
class DigitValue {
  public:
    void push(std::uint32_t part, unsigned digits) {
        if constexpr (kernel::detail::kNarrowWords) {
            if (groupDigits_ + digits > 9) {
                value_ = value();
                group_ = 0;
                groupDigits_ = 0;
            }
            group_ = group_ * kPowers[digits] + part;
            groupDigits_ += digits;
        } else {
            value_ = value_ * kPowers[digits] + part;
        }
    }

    [[nodiscard]] std::uint64_t value() const {
        if constexpr (kernel::detail::kNarrowWords) {
            return value_ * kPowers[groupDigits_] + group_;
        } else {
            return value_;
        }
    }

  private:
    static constexpr std::array<std::uint32_t, 10> kPowers = {
        1, 10, 100, 1'000, 10'000, 100'000, 1'000'000, 10'000'000, 100'000'000, 1'000'000'000};

    std::uint64_t value_ = 0;
    std::uint32_t group_ = 0;
    unsigned groupDigits_ = 0;
};

// The value of `count` digits at `p`, or false when one of them is not a digit.
bool readDigits(const char16_t* p, std::size_t count, std::uint64_t& value) {
    DigitValue v;
    const std::size_t head = count % 4;
    for (std::size_t i = 0; i < head; ++i) {
        const unsigned digit = static_cast<unsigned>(p[i]) - kZero;
        if (digit > 9) {
            return false;
        }
        v.push(digit, 1);
    }
    for (std::size_t i = head; i < count; i += 4) {
        std::uint64_t group = 0;
        if (!read4(p + i, group)) {
            return false;
        }
        v.push(static_cast<std::uint32_t>(group), 4);
    }
    value = v.value();
    return true;
}

}  // namespace

bool readWordOperand(TextView text, WordOperand& operand) {
    std::size_t start = 0;
    if (!text.empty() && text.front() == kMinus) {
        operand.negative = true;
        start = 1;
    }
    if (start < text.size() && text[start] == kPlus) {
        operand.negative = false;
        ++start;
    }
    const std::size_t count = text.size() - start;
    return count != 0 && count <= kWordOperandDigits &&
           readDigits(text.data() + start, count, operand.value);
}

bool readScaledWordOperand(TextView text, ScaledWordOperand& operand) {
    std::size_t start = 0;
    if (!text.empty() && (text.front() == kMinus || text.front() == kPlus)) {
        operand.negative = text.front() == kMinus;
        start = 1;
    }
    const TextView body = text.substr(start);
    // Up to 19 digits (below 2^64) and one point, read in one pass.
    if (body.empty() || body.size() > kWordOperandDigits + 1) {
        return false;
    }
    DigitValue value;
    std::size_t point = body.size();
    for (std::size_t i = 0; i < body.size(); ++i) {
        const unsigned digit = static_cast<unsigned>(body[i]) - kZero;
        if (digit <= 9) {
            value.push(digit, 1);
        } else if (body[i] == kPoint && point == body.size()) {
            point = i;
        } else {
            return false;
        }
    }
    operand.point = point != body.size();
    const std::size_t digits = body.size() - (operand.point ? 1 : 0);
    operand.fractionLength = digits - point;
    if (operand.fractionLength == 0) {
        // No fraction digits: the fraction part is one "0" (the lone "." has no digits at all).
        if (digits == 0 || digits + 1 > kWordOperandDigits) {
            return false;
        }
        operand.fractionLength = 1;
        operand.scaled = value.value() * 10;
        return true;
    }
    operand.scaled = value.value();
    return true;
}

// The digits are written here before anything reads them; the sign slot is written by withSign.
WordDigits::WordDigits(std::uint64_t high, std::uint64_t low) {  // NOLINT(*-member-init)
    char16_t* digits = digits_.data() + 1;
    if (high != 0) {
        kernel::detail::formatLimb(digits, high);
    } else {
        std::fill_n(digits, kWordOperandDigits, kZero);
    }
    kernel::detail::formatLimb(digits + kWordOperandDigits, low);
    significant_ = high != 0 ? kWordOperandDigits + kernel::detail::wordDigits(high)
                             : kernel::detail::wordDigits(low);
}

void writeWordResult(bool negative, std::uint64_t high, std::uint64_t low, Text& out) {
    WordDigits digits(high, low);
    out.assign(digits.withSign(negative));
}

}  // namespace kestrum::aserv
