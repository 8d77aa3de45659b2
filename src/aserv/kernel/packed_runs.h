// The block loops of digit-run addition and subtraction (digit_runs.h): on x86-64 and on 32-bit
// x86 with SSE2 (x86_vectors.h), 32 digits at a time as two 64-bit words of packed decimal (four
// bits a digit), whose binary carries and borrows pass from digit to digit. The words are read
// from and written to the text with SSE2, or with AVX2 64 digits at a time where the CPU has it,
// which also scans for digits 64 units at a time; the variant is chosen once, and every variant
// gives the same results. Other targets have no block loops: the digit loop does all the work.
#pragma once

#include <cstddef>
#include <string_view>

namespace kestrum::aserv::kernel::detail {

enum class RunsVariant { kDigitByDigit, kSse2, kAvx2 };

// The fewest digits that the block loops take, and the fewest units that the block scan takes:
// shorter runs need not call them.
inline constexpr std::size_t kSmallestDigitBlock = 32;
inline constexpr std::size_t kSmallestScanBlock = 64;

// Whether this build on this CPU runs the variant.
bool runsVariantAvailable(RunsVariant variant);

// The fastest available variant, chosen on first use.
RunsVariant fastestRunsVariant();

// Over the last units of runs a and b of n digits each, as many as whole blocks of the variant
// hold: out = a + b + carry (or a - b - borrow) there, with the carry (borrow) updated. Returns
// the number of digits at the front that are left to the caller.
std::size_t addPackedBlocks(RunsVariant variant, char16_t* out, const char16_t* a,
                            const char16_t* b, std::size_t n, unsigned& carry);
std::size_t subtractPackedBlocks(RunsVariant variant, char16_t* out, const char16_t* a,
                                 const char16_t* b, std::size_t n, unsigned& borrow);

// The number of units at the front of a text of n units, in whole blocks of the variant (64
// units for AVX2, none for the others), that are digits: the count stops before the first
// block that holds a unit of another kind.
std::size_t leadingDigitBlocks(RunsVariant variant, const char16_t* text, std::size_t n);

}  // namespace kestrum::aserv::kernel::detail
