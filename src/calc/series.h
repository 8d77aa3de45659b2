// Sums of power series whose terms follow each other by a ratio of whole numbers, by binary
// splitting: the terms are gathered in blocks whose exact products stay about as long as the
// working precision, each block becomes a fixed-point sum and a fixed-point ratio, and the blocks
// are chained from the last to the first. The series of exp, sin, cos, atan and atanh all have
// this form.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "big_int.h"
#include "fixed_point.h"

namespace kestrum::calc {

// The series t_0 + t_1 + ... with t_0 = 1 and t_j = t_{j-1} * p(j) / (q(j) * 10^shift) for
// j >= 1, with q(j) > 0.
struct RatioSeries {
    std::function<BigInt(std::int64_t)> numerator;    // p(j)
    std::function<BigInt(std::int64_t)> denominator;  // q(j)
    std::int64_t shift = 0;
    // An upper bound of log10 |t_k / t_(k-1)| over all k >= j: the sum stops where the terms
    // have fallen below the scale and every later ratio is at most 1/2.
    std::function<double(std::int64_t)> log10RatioAbove;
};

// The sum at the scale, its error bound covering the terms left out.
Fixed sumSeries(const RatioSeries& series, std::int64_t scale);

// num / (den 10^denShift) at the scale for den != 0, truncated; the division works on as many of
// the numbers' leading digits as the scale needs (error bound about a unit).
Fixed quotientFixed(const BigInt& num, const BigInt& den, std::int64_t denShift,
                    std::int64_t scale);

// A piece of a fixed-point number: digits / 10^position.
struct DigitChunk {
    BigInt digits;
    std::int64_t position = 0;
};

// x (at the scale) cut into the digits up to position `first`, then the runs of digits ending at
// 2 first, 4 first, ... and at the scale: pieces whose sum is x, each about as long as the
// position where it starts, so that each one's series needs few terms for its length. Pieces
// that are zero are left out; every piece has the sign of x.
std::vector<DigitChunk> digitChunks(const BigInt& x, std::int64_t scale, std::int64_t first);

}  // namespace kestrum::calc
