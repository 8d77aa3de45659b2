// 16-bit working values: lengths, positions, counters. Every value that can reach the
// limit goes through these checks, which raise error 6 instead of wrapping around.
#pragma once

#include <cstddef>
#include <cstdint>

#include "text/aserv_error.h"
#include "text/text.h"

namespace kestrum::aserv {

inline constexpr long kInt16Min = -32768;
inline constexpr long kInt16Max = 32767;

// Longest operand that blank removal accepts: a text of 32767 characters fails like a longer one.
inline constexpr std::size_t kMaxOperandLength = 32766;

// Checks a working value against the 16-bit range (error 6 outside it).
inline std::int16_t checked16(long value) {
    if (value < kInt16Min || value > kInt16Max) {
        raise(kOverflow);
    }
    return static_cast<std::int16_t>(value);
}

// The length of a text taken as a 16-bit value (error 6 above 32767).
inline std::int16_t lengthOf(TextView text) {
    if (text.size() > static_cast<std::size_t>(kInt16Max)) {
        raise(kOverflow);
    }
    return static_cast<std::int16_t>(text.size());
}

// What blank removal demands of an operand: at most 32766 characters (error 6 otherwise).
inline void requireOperandLength(TextView text) {
    if (text.size() > kMaxOperandLength) {
        raise(kOverflow);
    }
}

}  // namespace kestrum::aserv
