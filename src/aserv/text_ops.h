// The string operations the procedures are written in, with their edge rules:
// a negative count or a code outside 0..255 raises error 5.
#pragma once

#include <cstddef>

#include "aserv_error.h"
#include "text.h"

namespace kestrum::aserv {

// The first n characters; the whole text when n reaches its length.
inline TextView firstChars(TextView text, long n) {
    if (n < 0) {
        raise(kInvalidArgument);
    }
    return text.substr(0, static_cast<std::size_t>(n));
}

// The last n characters; the whole text when n reaches its length.
inline TextView lastChars(TextView text, long n) {
    if (n < 0) {
        raise(kInvalidArgument);
    }
    const auto count = static_cast<std::size_t>(n);
    return count >= text.size() ? text : text.substr(text.size() - count);
}

// A text of n zeros.
inline Text zeros(long n) {
    if (n < 0) {
        raise(kInvalidArgument);
    }
    return Text(static_cast<std::size_t>(n), kZero);
}

// 1-based position of the first "." in the text, 0 when there is none.
inline long pointPosition(TextView text) {
    const auto at = text.find(kPoint);
    return at == TextView::npos ? 0 : static_cast<long>(at) + 1;
}

// The character with the given code (error 5 outside 0..255).
inline char16_t charForCode(long code) {
    if (code < 0 || code > 255) {
        raise(kInvalidArgument);
    }
    return static_cast<char16_t>(code);
}

// The code of a character in the single-byte character set of the digit test: ASCII keeps its
// code, anything else reads as "?" (63), so it is never a digit.
inline long singleByteCode(char16_t c) {
    return c < 128 ? static_cast<long>(c) : long{'?'};
}

// Digit value: the code minus 48; a digit when it lies from 0 to 9.
inline long digitValue(char16_t c) {
    return singleByteCode(c) - long{'0'};
}

inline bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace kestrum::aserv
