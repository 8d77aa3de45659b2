// The idioms every procedure shares: sign split, digit checks, comparison of zero-filled
// magnitudes, leading-zero stripping and building digit strings from the right.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "text/text.h"
#include "text/text_ops.h"

namespace kestrum::aserv {

// One operand after the sign split: what remains of its text, and its sign value (1 or -1).
struct SignedText {
    TextView magnitude;
    int sign = 1;
};

struct SignedPair {
    SignedText first;
    SignedText second;
};

// The sign split of one operand: a "-" test, then a "+" test, each removing at most one
// character, so "-+5" ends as 5 with sign 1, "+-5" keeps its "-" and "--5" its second "-".
inline SignedText splitSign(TextView text) {
    SignedText operand{text, 1};
    if (!operand.magnitude.empty() && operand.magnitude.front() == kMinus) {
        operand.sign = -1;
        operand.magnitude.remove_prefix(1);
    }
    if (!operand.magnitude.empty() && operand.magnitude.front() == kPlus) {
        operand.sign = 1;
        operand.magnitude.remove_prefix(1);
    }
    return operand;
}

// The sign split of the integer operations. Their fixed order ("-" test on the first operand,
// "-" and "+" tests on the second, "+" test on the first) splits each operand on its own.
inline SignedPair splitSigns(TextView first, TextView second) {
    return {splitSign(first), splitSign(second)};
}

inline bool allDigits(TextView text) {
    // A reduction without early exit, so that the compiler can vectorise it.
    std::uint16_t outside = 0;
    for (const char16_t c : text) {
        outside |= static_cast<std::uint16_t>(static_cast<std::uint16_t>(c - kZero) > 9 ? 1 : 0);
    }
    return outside == 0;
}

// Equality of two texts, unit by unit (memcmp: equality needs no order).
inline bool sameText(TextView a, TextView b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0);
}

// Binary comparison of two texts after the shorter one has been zero-filled on the left to the
// length of the longer one: -1, 0 or 1. Works on any characters, by code unit.
inline int compareZeroFilled(TextView a, TextView b) {
    int flip = 1;
    if (a.size() < b.size()) {
        std::swap(a, b);
        flip = -1;
    }
    const std::size_t fill = a.size() - b.size();
    for (std::size_t i = 0; i < fill; ++i) {
        if (a[i] != kZero) {
            return a[i] > kZero ? flip : -flip;
        }
    }
    const int order = a.substr(fill).compare(b);
    return order == 0 ? 0 : (order > 0 ? flip : -flip);
}

// Leading-zero stripping: the text from its first character that is not "0"; "0" when there
// is none (the empty text included).
inline TextView stripLeadingZeros(TextView text) {
    const auto first = text.find_first_not_of(kZero);
    return first == TextView::npos ? TextView{u"0"} : text.substr(first);
}

// Text `body` with "-" in front when `negative`.
inline Text withSign(bool negative, Text body) {
    if (negative) {
        body.insert(body.begin(), kMinus);
    }
    return body;
}

// Puts a minus sign in front of `body` when `negative`, in place.
inline void prependSign(bool negative, Text& body) {
    if (negative) {
        body.insert(body.begin(), kMinus);
    }
}

// Reads the digit at 0-based index `i` of `text` as if the text were zero-filled on the left
// to `width` characters.
inline char16_t zeroFilledAt(TextView text, std::size_t width, std::size_t i) {
    const std::size_t fill = width - text.size();
    return i < fill ? kZero : text[i - fill];
}

}  // namespace kestrum::aserv
