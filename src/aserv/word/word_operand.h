// Operands short enough for one 64-bit value (a single machine word on 64-bit builds, a pair of
// words on 32-bit ones): read in one pass over the text, and results written from such values
// straight into their final text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "text/text.h"

namespace kestrum::aserv {

// Digits that a word operand may have, leading zeros included: its value stays below 10^18, so
// a sum of two fits a word and a product of two fits a double word below 10^36.
inline constexpr std::size_t kWordOperandDigits = 18;

// An integer operand as the sign split leaves it: its sign, and its magnitude as a value.
struct WordOperand {
    std::uint64_t value = 0;
    bool negative = false;
};

// Reads a text made of one optional "-", then one optional "+", then 1 to kWordOperandDigits
// digits (the forms whose sign split leaves a magnitude of digits only). Returns false for any
// other text: the empty magnitude, blanks, other characters, more digits.
bool readWordOperand(TextView text, WordOperand& operand);

// A number with a point read the way multiplication scales it: one optional "-" or "+", digits,
// and at most one "." among them. `scaled` is the value of the integer digits followed by the
// fraction digits, or by one "0" when there are none; `fractionLength` counts the fraction
// digits, or is 1 when there are none.
struct ScaledWordOperand {
    std::uint64_t scaled = 0;
    std::size_t fractionLength = 0;
    bool negative = false;
    bool point = false;
};

// Reads such a text when the scaled value has at most kWordOperandDigits digits (leading zeros
// counted); returns false for other texts, the lone "." and the empty text included.
bool readScaledWordOperand(TextView text, ScaledWordOperand& operand);

// The digits of a value below 10^36, given as high * 10^18 + low, written at the end of a buffer
// with leading zeros; the canonical text ("0" for zero) is its tail.
class WordDigits {
  public:
    WordDigits(std::uint64_t high, std::uint64_t low);

    // All 36 digits, leading zeros included.
    [[nodiscard]] TextView padded() const { return {digits_.data() + 1, digits_.size() - 1}; }
    // The digits without leading zeros, "0" for zero.
    [[nodiscard]] TextView canonical() const {
        return padded().substr(padded().size() - significant_);
    }
    // The canonical text with "-" in front when `negative`.
    TextView withSign(bool negative) {
        const std::size_t start = digits_.size() - significant_ - (negative ? 1 : 0);
        if (negative) {
            digits_[start] = kMinus;
        }
        return {digits_.data() + start, digits_.size() - start};
    }

  private:
    // A slot for a sign, then the digits.
    std::array<char16_t, 1 + 2 * kWordOperandDigits> digits_;
    std::size_t significant_ = 0;
};

// Writes the canonical text of high * 10^18 + low into `out`, with "-" in front when
// `negative`, reusing its storage.
void writeWordResult(bool negative, std::uint64_t high, std::uint64_t low, Text& out);

}  // namespace kestrum::aserv
