// Turns fuzzer bytes into one call: the operation, how it is made, two UTF-16 operands and the
// values that the output variables hold before the call.
//
// Layout: byte 0 picks the operation (bits 0-2) and the mode (bits 3-4); bytes 1-2 are the
// initial division flag (little-endian); byte 3 holds the null-string flags of the Arithm modes.
// Then come four texts separated by 0xFF: the two operands, then the initial quotient (or
// result) and remainder. In a text, a byte below 0xF0 is one character of kAlphabet (index modulo
// its size); 0xF0-0xFD followed by an index and a 16-bit big-endian count is a run of that many
// copies; 0xFE followed by two bytes is any code unit (big-endian).
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrum::fuzz {

enum class Op : std::uint8_t { kAdd, kSub, kMult, kRealAdd, kRealSub, kRealMult, kComp, kDiv };

enum class Mode : std::uint8_t {
    kDirect,      // the procedures with separate operand and output variables
    kAliased,     // the output variables are the operands themselves
    kArithm,      // class Arithm against the step-by-step path
    kArithmNull,  // class Arithm with null strings and null addresses
};

// The characters that matter most to the arithmetic: digits, blanks, signs, points, letters and
// controls next to them, and units outside ASCII (digits of other scripts, a lone surrogate, and
// units whose low byte is a digit, a blank or a sign).
inline constexpr std::array<char16_t, 32> kAlphabet = {
    u'0', u'1', u'2',   u'3',   u'4',   u'5',   u'6',   u'7',   u'8',   u'9',   u' ',
    u'-', u'+', u'.',   u'0',   u'9',   u' ',   u'-',   u'a',   u'x',   u'E',   u'\t',
    u'/', u':', 0x00A0, 0x0663, 0xFF11, 0xD800, 0x0000, 0x0139, 0x0130, 0x012D,
};

// Texts a little longer than the longest operand that the operations accept.
inline constexpr std::size_t kMaxTextLength = 32800;

struct FuzzInput {
    Op op = Op::kAdd;
    Mode mode = Mode::kDirect;
    std::int16_t flag = 0;
    std::uint8_t nulls = 0;
    std::u16string a1;
    std::u16string a2;
    std::u16string first;
    std::u16string second;
};

class ByteReader {
  public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    [[nodiscard]] bool done() const { return position_ >= size_; }
    std::uint8_t next() { return done() ? 0 : data_[position_++]; }
    std::uint16_t next16() {
        const auto high = next();
        return static_cast<std::uint16_t>(high << 8 | next());
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

inline std::u16string readText(ByteReader& in) {
    std::u16string text;
    while (!in.done()) {
        const std::uint8_t byte = in.next();
        if (byte == 0xFF) {
            break;
        }
        if (byte == 0xFE) {
            text.push_back(static_cast<char16_t>(in.next16()));
        } else if (byte >= 0xF0) {
            const char16_t c = kAlphabet[in.next() % kAlphabet.size()];
            const std::size_t count = in.next16();
            text.append(std::min<std::size_t>(count, kMaxTextLength - text.size()), c);
        } else {
            text.push_back(kAlphabet[byte % kAlphabet.size()]);
        }
        if (text.size() >= kMaxTextLength) {
            text.resize(kMaxTextLength);
        }
    }
    return text;
}

inline FuzzInput readInput(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    FuzzInput input;
    const std::uint8_t selector = in.next();
    input.op = static_cast<Op>(selector & 7);
    input.mode = static_cast<Mode>((selector >> 3) & 3);
    const auto low = in.next();
    input.flag = static_cast<std::int16_t>(static_cast<std::uint16_t>(in.next() << 8 | low));
    input.nulls = in.next();
    input.a1 = readText(in);
    input.a2 = readText(in);
    input.first = readText(in);
    input.second = readText(in);
    return input;
}

}  // namespace kestrum::fuzz
