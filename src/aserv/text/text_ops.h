// The string operations the procedures are written in, with their edge rules:
// a negative count or a code outside 0..255 raises error 5.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/aserv_error.h"
#include "text/text.h"

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

// 0-based index of the first `unit` in the text, npos when there is none. Blocks without it are
// skipped by a reduction without early exit, which the compiler vectorises.
inline std::size_t findUnit(TextView text, char16_t unit) {
    constexpr std::size_t kBlock = 64;
    std::size_t start = 0;
    for (; start + kBlock <= text.size(); start += kBlock) {
        std::uint16_t hit = 0;
        for (std::size_t i = start; i < start + kBlock; ++i) {
            hit |= static_cast<std::uint16_t>(text[i] == unit ? 1 : 0);
        }
        if (hit != 0) {
            break;
        }
    }
    const std::size_t at = text.substr(start).find(unit);
    return at == TextView::npos ? TextView::npos : start + at;
}

// 1-based position of the first "." in the text, 0 when there is none.
inline long pointPosition(TextView text) {
    const auto at = findUnit(text, kPoint);
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
