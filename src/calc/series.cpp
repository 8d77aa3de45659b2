#include "series.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "interrupt.h"

namespace kestrum::calc {

namespace {

// Products over the terms j in [a, b): P = p(a)...p(b-1), Q = q(a)...q(b-1) and T with
// T / (Q * 10^(shift (b - a))) = sum over k in [a, b) of the ratios' products from a to k.
struct Split {
    BigInt p;
    BigInt q;
    BigInt t;
};

Split splitRange(const RatioSeries& s, std::int64_t a, std::int64_t b) {
    if (b - a == 1) {
        BigInt p = s.numerator(a);
        BigInt t = p;
        return {std::move(p), s.denominator(a), std::move(t)};
    }
    const std::int64_t m = a + (b - a) / 2;
    Split left = splitRange(s, a, m);
    Split right = splitRange(s, m, b);
    BigInt t = left.t * right.q;
    if (s.shift != 0) {
        t = t.shiftedUp(static_cast<std::size_t>(s.shift * (b - m)));
    }
    t += left.p * right.t;
    return {left.p * right.p, left.q * right.q, std::move(t)};
}

// num / (den * 10^denShift) at the scale, truncated.
BigInt quotientAtScale(const BigInt& num, const BigInt& den, std::int64_t denShift,
                       std::int64_t scale) {
    if (scale >= denShift) {
        return BigInt::divMod(num.shiftedUp(static_cast<std::size_t>(scale - denShift)), den)
            .quotient;
    }
    return BigInt::divMod(num, den.shiftedUp(static_cast<std::size_t>(denShift - scale))).quotient;
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
        const Split split = splitRange(series, a, b);
        const std::int64_t shift = series.shift * (b - a);
        Fixed sum{quotientAtScale(split.t, split.q, shift, scale), scale, 1.0};
        Fixed ratio{};
        if (b < count) {
            ratio = {quotientAtScale(split.p, split.q, shift, scale), scale, 1.0};
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
