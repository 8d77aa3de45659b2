// Decimal arithmetic straight on digit text, without limbs: runs of the code units u'0'..u'9',
// most significant first, added or subtracted position by position from the right with a carry
// (or borrow) passed in and handed out, and the scans that read such runs. Builds with SSE2 scan
// 16 or 32 units at a time; x86-64 builds and 32-bit x86 builds with SSE2 add and subtract whole
// blocks as packed decimal (packed_runs.h).
#pragma once

#include <cstddef>
#include <string_view>

#include "packed_runs.h"

namespace kestrum::aserv::kernel {

// Number of code units at the front of the text that are digits.
std::size_t leadingDigits(std::u16string_view text);

// Whether every code unit of the text is a digit.
bool onlyDigits(std::u16string_view text);

struct RunComparison {
    bool digits;             // whether both texts are digits only
    std::size_t difference;  // the first index at which they differ, their length when equal
};

// Both answers for texts of the same length, in one pass over each.
RunComparison compareDigitRuns(std::u16string_view a, std::u16string_view b);

// Index of the first unit in which texts of the same length differ; their length when equal.
std::size_t firstDifference(std::u16string_view a, std::u16string_view b);

// The output of each function below takes as many digits as its input runs have, and must not
// overlap them. Each returns the carry (or borrow) out of the first digit: 0 or 1.

// out = a + b + carry, for runs a and b of the same length.
unsigned addRuns(char16_t* out, std::u16string_view a, std::u16string_view b, unsigned carry);

// out = a - b - borrow, for runs a and b of the same length; the borrow out is 1 when a is
// smaller than b + borrow (out then holds the difference plus 10 to the power of the length).
unsigned subtractRuns(char16_t* out, std::u16string_view a, std::u16string_view b, unsigned borrow);

// out = a + carry.
unsigned carryInto(char16_t* out, std::u16string_view a, unsigned carry);

// out = a - borrow.
unsigned borrowFrom(char16_t* out, std::u16string_view a, unsigned borrow);

// out = 0 - b: the borrow out is 0 exactly when b is all zeros.
unsigned subtractFromZero(char16_t* out, std::u16string_view b);

namespace detail {

// leadingDigits, addRuns and subtractRuns with the given block loops (for tests: every variant
// gives the same).
std::size_t leadingDigitsWith(RunsVariant variant, std::u16string_view text);
unsigned addRunsWith(RunsVariant variant, char16_t* out, std::u16string_view a,
                     std::u16string_view b, unsigned carry);
unsigned subtractRunsWith(RunsVariant variant, char16_t* out, std::u16string_view a,
                          std::u16string_view b, unsigned borrow);

}  // namespace detail

}  // namespace kestrum::aserv::kernel
