#include "school_avx512.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <memory>

#include "limb_ops.h"
#include "vector_school.h"

// GCC 12 takes the deliberately undefined vectors inside some intrinsics for uninitialised ones.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace kestrum::aserv::kernel::detail {
namespace {

constexpr std::size_t kLanes = 8;

using Area = PieceArea<kLanes, kAvx512SchoolLimbs>;
constexpr std::size_t kCopyLength = Area::kCopyLength;

// Lanes q < 2^42 times 10^9.
[[gnu::target("avx512f"), gnu::always_inline]] inline __m512i timesHalfBase(__m512i q) {
    const __m512i halfBase = _mm512_set1_epi64(kHalfBase);
    return _mm512_add_epi64(
        _mm512_mul_epu32(q, halfBase),
        _mm512_slli_epi64(_mm512_mul_epu32(_mm512_srli_epi64(q, 32), halfBase), 32));
}

// Cuts lanes x < 2^38 into x = q * 10^9 + r, r < 10^9, returning r and setting q.
[[gnu::target("avx512f"), gnu::always_inline]] inline __m512i cutSmall(__m512i x,
                                                                       __m512i& quotient) {
    quotient = _mm512_srli_epi64(
        _mm512_mul_epu32(_mm512_srli_epi64(x, 9), _mm512_set1_epi64(kExactInverse)), 50);
    return _mm512_sub_epi64(x, _mm512_mul_epu32(quotient, _mm512_set1_epi64(kHalfBase)));
}

// halves[0..length) = the low and high halves of limbs[0..n), interleaved, then zeros; length is
// a multiple of 16. A limb's quotient by 10^9, estimated from its upper 32 bits, is at most six
// below the true one, so the rest stays below 2^38.
[[gnu::target("avx512f")]] void cutLimbs(Limb* halves, std::size_t length, const Limb* limbs,
                                         std::size_t n) {
    const __m512i firstFour = _mm512_set_epi64(11, 3, 10, 2, 9, 1, 8, 0);
    const __m512i lastFour = _mm512_set_epi64(15, 7, 14, 6, 13, 5, 12, 4);
    for (std::size_t i = 0; 2 * i < length; i += kLanes) {
        const std::size_t left = i < n ? n - i : 0;
        const auto present = static_cast<__mmask8>(left >= kLanes ? 0xFFU : (1U << left) - 1);
        const __m512i x = _mm512_maskz_loadu_epi64(present, limbs + i);
        const __m512i estimate = _mm512_srli_epi64(
            _mm512_mul_epu32(_mm512_srli_epi64(x, 32), _mm512_set1_epi64(kInverseOfHalfBase)), 29);
        __m512i more;
        const __m512i low = cutSmall(
            _mm512_sub_epi64(x, _mm512_mul_epu32(estimate, _mm512_set1_epi64(kHalfBase))), more);
        const __m512i high = _mm512_add_epi64(estimate, more);
        _mm512_storeu_si512(halves + 2 * i, _mm512_permutex2var_epi64(low, firstFour, high));
        _mm512_storeu_si512(halves + 2 * i + kLanes,
                            _mm512_permutex2var_epi64(low, lastFour, high));
    }
}

// copies + u * kCopyLength holds u zeros, then shifted[0..length - u).
[[gnu::target("avx512f")]] void makeShiftedCopies(Limb* copies, const Limb* shifted,
                                                  std::size_t length) {
    __m512i previous = _mm512_setzero_si512();
    for (std::size_t at = 0; at < length; at += kLanes) {
        const __m512i current = _mm512_loadu_si512(shifted + at);
        Limb* out = copies + at;
        _mm512_storeu_si512(out, current);
        _mm512_storeu_si512(out + 1 * kCopyLength, _mm512_alignr_epi64(current, previous, 7));
        _mm512_storeu_si512(out + 2 * kCopyLength, _mm512_alignr_epi64(current, previous, 6));
        _mm512_storeu_si512(out + 3 * kCopyLength, _mm512_alignr_epi64(current, previous, 5));
        _mm512_storeu_si512(out + 4 * kCopyLength, _mm512_alignr_epi64(current, previous, 4));
        _mm512_storeu_si512(out + 5 * kCopyLength, _mm512_alignr_epi64(current, previous, 3));
        _mm512_storeu_si512(out + 6 * kCopyLength, _mm512_alignr_epi64(current, previous, 2));
        _mm512_storeu_si512(out + 7 * kCopyLength, _mm512_alignr_epi64(current, previous, 1));
        previous = current;
    }
}

// The eight accumulators of a block of columns summed and cut into column = quotient * 10^9 +
// rest: rests[0..8) and quotients[0..8), both below 2^37. The sum may pass 2^64; the quotient is
// estimated from the sum of the accumulators' upper 32 bits, below 2^35, and is at most 130 below
// the true one. The wrapped sum of the accumulators gives the rest exactly.
[[gnu::target("avx512f"), gnu::always_inline]] inline void cutBlock(const __m512i (&sums)[kLanes],
                                                                    Limb* rests, Limb* quotients) {
    __m512i low = sums[0];
    __m512i upperParts = _mm512_srli_epi64(sums[0], 32);
    for (std::size_t u = 1; u < kLanes; ++u) {
        low = _mm512_add_epi64(low, sums[u]);
        upperParts = _mm512_add_epi64(upperParts, _mm512_srli_epi64(sums[u], 32));
    }
    const __m512i quotient = _mm512_srli_epi64(
        _mm512_mul_epu32(_mm512_srli_epi64(upperParts, 3), _mm512_set1_epi64(kInverseOfHalfBase)),
        26);
    _mm512_storeu_si512(rests, _mm512_sub_epi64(low, timesHalfBase(quotient)));
    _mm512_storeu_si512(quotients, quotient);
}

// The column sums of half products for a[0..na) (na <= kPieceLimbs) times b[0..nb)
// (nb <= kAvx512SchoolLimbs), cut into rests and quotients by 10^9, columns 0..2 (na + nb).
// Two blocks of eight columns at a time: column k sums longHalves[i] * bHalves[k - i], and in
// steps of eight i the windows of b that the upper block reads are the ones that the lower block
// read a step before.
[[gnu::target("avx512f")]] void sumColumns(Limb* rests, Limb* quotients, const Limb* longHalves,
                                           std::size_t na, const Limb* copies, std::size_t nb) {
    const std::size_t longCount = 2 * na;
    const std::size_t shortCount = 2 * nb;
    const std::size_t columns = longCount + shortCount;
    for (std::size_t k = 0; k < columns; k += 2 * kLanes) {
        // i from a multiple of eight below the lowest one that the lower block's columns use.
        const std::size_t first = (k + 1 > shortCount ? k + 1 - shortCount : 0) & ~(kLanes - 1);
        const std::size_t end = std::min(longCount, k + 2 * kLanes);
        // Vector arrays in registers; std::array would drop the vector type's alignment.
        __m512i lower[kLanes];   // NOLINT(modernize-avoid-c-arrays)
        __m512i upper[kLanes];   // NOLINT(modernize-avoid-c-arrays)
        __m512i window[kLanes];  // NOLINT(modernize-avoid-c-arrays)
#pragma GCC unroll 8
        for (std::size_t u = 0; u < kLanes; ++u) {
            lower[u] = _mm512_setzero_si512();
            upper[u] = _mm512_setzero_si512();
            window[u] = _mm512_loadu_si512(copies + u * kCopyLength + (k + 2 * kLanes - first));
        }
        for (std::size_t i = first; i < end; i += kLanes) {
            const Limb* at = copies + (k + kLanes - i);
#pragma GCC unroll 8
            for (std::size_t u = 0; u < kLanes; ++u) {
                const __m512i x = _mm512_set1_epi64(static_cast<long long>(longHalves[i + u]));
                const __m512i current = _mm512_loadu_si512(at + u * kCopyLength);
                lower[u] = _mm512_add_epi64(lower[u], _mm512_mul_epu32(x, current));
                upper[u] = _mm512_add_epi64(upper[u], _mm512_mul_epu32(x, window[u]));
                window[u] = current;
            }
        }
        cutBlock(lower, rests + k, quotients + k);
        cutBlock(upper, rests + k + kLanes, quotients + k + kLanes);
    }
}

// r[0..n) from the cut columns of halves 0..2n: the quotients go one column up, each rest and
// quotient below it are cut again (the digits replace the rests), the small quotients of that go
// one more column up, and pairs of columns make limbs. A limb may then reach the base; a last
// pass carries from those, which is rarely needed.
[[gnu::target("avx512f")]] void carryColumns(Limb* r, std::size_t n, Limb* rests,
                                             const Limb* quotients) {
    __m512i previousQuotient = _mm512_setzero_si512();
    __m512i previousCarry = _mm512_setzero_si512();
    for (std::size_t k = 0; k < 2 * n; k += kLanes) {
        const __m512i quotient = _mm512_loadu_si512(quotients + k);
        const __m512i sum = _mm512_add_epi64(_mm512_loadu_si512(rests + k),
                                             _mm512_alignr_epi64(quotient, previousQuotient, 7));
        previousQuotient = quotient;
        __m512i carry;
        const __m512i digit = cutSmall(sum, carry);
        _mm512_storeu_si512(rests + k,
                            _mm512_add_epi64(digit, _mm512_alignr_epi64(carry, previousCarry, 7)));
        previousCarry = carry;
    }
    const __m512i evens = _mm512_set_epi64(14, 12, 10, 8, 6, 4, 2, 0);
    const __m512i odds = _mm512_set_epi64(15, 13, 11, 9, 7, 5, 3, 1);
    const __m512i halfBase = _mm512_set1_epi64(kHalfBase);
    const __m512i top = _mm512_set1_epi64(static_cast<long long>(kBase - 1));
    __mmask8 full = 0;
    std::size_t m = 0;
    for (; m + kLanes <= n; m += kLanes) {
        const __m512i low = _mm512_loadu_si512(rests + 2 * m);
        const __m512i high = _mm512_loadu_si512(rests + 2 * m + kLanes);
        const __m512i limb = _mm512_add_epi64(
            _mm512_permutex2var_epi64(low, evens, high),
            _mm512_mul_epu32(_mm512_permutex2var_epi64(low, odds, high), halfBase));
        full |= _mm512_cmpgt_epu64_mask(limb, top);
        _mm512_storeu_si512(r + m, limb);
    }
    bool carries = full != 0;
    for (; m < n; ++m) {
        r[m] = rests[2 * m] + rests[2 * m + 1] * kHalfBase;
        carries = carries || r[m] >= kBase;
    }
    if (carries) {
        carryFullLimbs(r, n);
    }
}

// r[0..na+nb) = a * b for na <= kPieceLimbs and nb <= kAvx512SchoolLimbs.
[[gnu::target("avx512f")]] void multiplyPiece(Limb* r, const Limb* a, std::size_t na, const Limb* b,
                                              std::size_t nb) {
    Area area;
    cutLimbs(area.longHalves(), Area::wholePairs(2 * na + 2 * kLanes), a, na);
    std::fill(area.shortHalves(), area.shortHalves() + kLanes, Limb{0});
    cutLimbs(area.shortHalves() + kLanes, Area::copyLength(nb), b, nb);
    makeShiftedCopies(area.copies(), area.shortHalves(), Area::copyLength(nb));
    sumColumns(area.rests(), area.quotients(), area.longHalves(), na, area.copies(), nb);
    carryColumns(r, na + nb, area.rests(), area.quotients());
}

}  // namespace

bool avx512SchoolAvailable() {
    return __builtin_cpu_supports("avx512f");
}

void multiplySchoolAvx512(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    multiplyInPieces<kAvx512SchoolLimbs>(r, a, na, b, nb, multiplyPiece);
}

}  // namespace kestrum::aserv::kernel::detail

#else

namespace kestrum::aserv::kernel::detail {

bool avx512SchoolAvailable() {
    return false;
}

}  // namespace kestrum::aserv::kernel::detail

#endif
