#include "series.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "interrupt.h"

namespace kestrum::calc {

namespace {

// Products over the terms j in [a, b): P = p(a)...p(b-1), Q = q(a)...q(b-1) and T with
// T / (Q * 10^(shift (b - a))) = sum over k in [a, b) of the ratios' products from a to k. P is
// left zero unless wanted (the series' last block needs none).
struct Split {
    BigInt p;
    BigInt q;
    BigInt t;
};

Split splitRange(const RatioSeries& s, std::int64_t a, std::int64_t b, bool wantP) {
    if (b - a == 1) {
        BigInt p = s.numerator(a);
        BigInt t = p;
        return {std::move(p), s.denominator(a), std::move(t)};
    }
    if (b - a == 2) {
        // p(a) / q(a) + p(a) p(a + 1) / (q(a) q(a + 1)), over the common 10^(2 shift)
        const BigInt first = s.numerator(a);
        const BigInt second = s.numerator(a + 1);
        const BigInt nextQ = s.denominator(a + 1);
        BigInt p = first * second;
        BigInt t = (first * nextQ).shiftedUp(static_cast<std::size_t>(s.shift)) + p;
        return {std::move(p), s.denominator(a) * nextQ, std::move(t)};
    }
    const std::int64_t m = a + (b - a) / 2;
    Split left = splitRange(s, a, m, true);
    Split right = splitRange(s, m, b, wantP);
    BigInt t = left.t * right.q;
    if (s.shift != 0) {
        t = t.shiftedUp(static_cast<std::size_t>(s.shift * (b - m)));
    }
    t += left.p * right.t;
    return {wantP ? left.p * right.p : BigInt(0), left.q * right.q, std::move(t)};
}

// The number of terms to sum: the first term left out is below a fifth of a unit and every
// later ratio at most 1/2, so that all of them together stay below half a unit.
std::int64_t termCount(const RatioSeries& s, std::int64_t scale) {
    const double target = -static_cast<double>(scale) - 1;
    const double half = std::log10(0.5);
    double log10Term = 0;
    for (std::int64_t j = 1;; ++j) {
        log10Term += s.log10RatioAbove(j) + 1e-12;
        if (log10Term <= target && s.log10RatioAbove(j + 1) <= half) {
            return j;
        }
        if (j > 100'000'000) {
            throw std::logic_error("series does not converge");
        }
    }
}

struct Block {
    Fixed sum;    // of the block's terms relative to the one before it
    Fixed ratio;  // the product of the block's ratios
};

}  // namespace

Fixed sumSeries(const RatioSeries& series, std::int64_t scale) {
    const std::int64_t count = termCount(series, scale);
    // Blocks whose products grow to about twice the working length: fewer blocks to divide out.
    const double budget = std::max<double>(2.0 * static_cast<double>(scale), 4000.0);
    std::vector<Block> blocks;
    for (std::int64_t a = 1; a < count;) {
        stopIfInterrupted();  // a block takes a noticeable time at many thousands of digits
        const double perTerm = log10Abs(series.numerator(a)) + log10Abs(series.denominator(a)) +
                               static_cast<double>(series.shift) + 2;
        const auto length = static_cast<std::int64_t>(std::max(8.0, budget / perTerm));
        const std::int64_t b = std::min(count, a + length);
        const Split split = splitRange(series, a, b, b < count);
        const std::int64_t shift = series.shift * (b - a);
        Fixed sum{quotientFixed(split.t, split.q, shift, scale)};
        Fixed ratio{};
        if (b < count) {
            ratio = quotientFixed(split.p, split.q, shift, scale);
        }
        blocks.push_back({std::move(sum), std::move(ratio)});
        a = b;
    }
    Fixed total = wholeFixed(BigInt(0), scale);
    for (auto block = blocks.rbegin(); block != blocks.rend(); ++block) {
        total =
            block == blocks.rbegin() ? block->sum : add(block->sum, multiply(block->ratio, total));
    }
    total = add(total, wholeFixed(BigInt(1), scale));
    total.error = roundedUp(total.error + 0.5);  // the terms left out
    return total;
}

Fixed quotientFixed(const BigInt& num, const BigInt& den, std::int64_t denShift,
                    std::int64_t scale) {
    // R = N / (D 10^e) in units of the scale. Dropping the k low digits of N and D (truncated
    // toward zero: N = N' 10^k + n, D = D' 10^k + d with |n|, |d| < 10^k) moves N / D by
    // |n D' - N' d| / |D D'| <= (10^k / |D|) (1 + |N'| / |D'|), so R by at most
    // 10^(k - digits(D) + 1) (10^-e + |N'| / (|D'| 10^e)) units. k is chosen to keep that below
    // about a hundredth of a unit, and the division works on the shortened numbers.
    const std::int64_t e = denShift - scale;
    const auto denDigits = static_cast<std::int64_t>(den.digitCount());
    const double log10R = log10Abs(num) - log10Abs(den) - static_cast<double>(e);
    const double kept = std::max(static_cast<double>(-e), log10R + 1) + 3;
    const auto k = std::max<std::int64_t>(
        0, std::min(denDigits - 3, denDigits - static_cast<std::int64_t>(std::ceil(kept))));
    const BigInt shortNum = num.shiftedDown(static_cast<std::size_t>(k));
    const BigInt shortDen = den.shiftedDown(static_cast<std::size_t>(k));
    double dropped = 0;
    if (k > 0) {
        const auto log10Unit = static_cast<double>(k - denDigits + 1 - e);
        const double log10Ratio = log10Abs(shortNum) - log10Abs(shortDen) + 1e-9;
        dropped = std::pow(10.0, log10Unit) + std::pow(10.0, log10Unit + log10Ratio);
    }
    const BigInt value =
        e >= 0
            ? BigInt::divMod(shortNum.shiftedDown(static_cast<std::size_t>(e)), shortDen).quotient
            : BigInt::divMod(shortNum.shiftedUp(static_cast<std::size_t>(-e)), shortDen).quotient;
    return {value, scale, roundedUp(1 + dropped)};
}

std::vector<DigitChunk> digitChunks(const BigInt& x, std::int64_t scale, std::int64_t first) {
    std::vector<DigitChunk> chunks;
    BigInt previousHead;
    std::int64_t low = 0;
    for (std::int64_t high = std::min(first, scale);; high = std::min(2 * high, scale)) {
        const BigInt head = x.shiftedDown(static_cast<std::size_t>(scale - high));
        BigInt piece = head - previousHead.shiftedUp(static_cast<std::size_t>(high - low));
        if (!piece.isZero()) {
            chunks.push_back({std::move(piece), high});
        }
        if (high == scale) {
            return chunks;
        }
        previousHead = head;
        low = high;
    }
}

}  // namespace kestrum::calc
