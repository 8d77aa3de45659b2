#include "school_avx2.h"

#if KESTRUM_X86_VECTORS

#include <immintrin.h>

#include <algorithm>
#include <array>
#include <memory>

#include "limb_ops.h"
#include "vector_school.h"

namespace kestrum::aserv::kernel::detail {
namespace {

constexpr std::size_t kLanes = 4;

using Area = PieceArea<kLanes, kAvx2SchoolLimbs>;
constexpr std::size_t kCopyLength = Area::kCopyLength;

// Lanes q < 2^42 times 10^9.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i timesHalfBase(__m256i q) {
    const __m256i halfBase = _mm256_set1_epi64x(kHalfBase);
    return _mm256_add_epi64(
        _mm256_mul_epu32(q, halfBase),
        _mm256_slli_epi64(_mm256_mul_epu32(_mm256_srli_epi64(q, 32), halfBase), 32));
}

// Cuts lanes x < 2^38 into x = q * 10^9 + r, r < 10^9, returning r and setting q.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i cutSmall(__m256i x, __m256i& quotient) {
    quotient = _mm256_srli_epi64(
        _mm256_mul_epu32(_mm256_srli_epi64(x, 9), _mm256_set1_epi64x(kExactInverse)), 50);
    return _mm256_sub_epi64(x, _mm256_mul_epu32(quotient, _mm256_set1_epi64x(kHalfBase)));
}

// halves[0..length) = the low and high halves of limbs[0..n), interleaved, then zeros; length is
// a multiple of 8. A limb's quotient by 10^9, estimated from its upper 32 bits, is at most six
// below the true one, so the rest stays below 2^38.
[[gnu::target("avx2")]] void cutLimbs(Limb* halves, std::size_t length, const Limb* limbs,
                                      std::size_t n) {
    const std::size_t whole = n & ~(kLanes - 1);
    for (std::size_t i = 0; 2 * i < length; i += kLanes) {
        std::array<Limb, kLanes> tail{};
        if (i >= whole) {
            std::copy(limbs + std::min(i, n), limbs + n, tail.begin());
        }
        const __m256i x = _mm256_loadu_si256(
            reinterpret_cast<const __m256i*>(i < whole ? limbs + i : tail.data()));
        const __m256i estimate = _mm256_srli_epi64(
            _mm256_mul_epu32(_mm256_srli_epi64(x, 32), _mm256_set1_epi64x(kInverseOfHalfBase)), 29);
        __m256i more;
        const __m256i low = cutSmall(
            _mm256_sub_epi64(x, _mm256_mul_epu32(estimate, _mm256_set1_epi64x(kHalfBase))), more);
        const __m256i high = _mm256_add_epi64(estimate, more);
        const __m256i firstPairs = _mm256_unpacklo_epi64(low, high);
        const __m256i secondPairs = _mm256_unpackhi_epi64(low, high);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(halves + 2 * i),
                            _mm256_permute2x128_si256(firstPairs, secondPairs, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(halves + 2 * i + kLanes),
                            _mm256_permute2x128_si256(firstPairs, secondPairs, 0x31));
    }
}

// copies + u * kCopyLength holds u zeros, then shifted[0..length - u).
void makeShiftedCopies(Limb* copies, const Limb* shifted, std::size_t length) {
    for (std::size_t u = 0; u < kLanes; ++u) {
        Limb* copy = copies + u * kCopyLength;
        std::fill(copy, copy + u, Limb{0});
        std::copy(shifted, shifted + (length - u), copy + u);
    }
}

// The four accumulators of a block of columns summed and cut into column = quotient * 10^9 +
// rest: rests[0..4) and quotients[0..4), both below 2^36. The sum may pass 2^64; the
// quotient is estimated from the sum of the accumulators' upper 32 bits, below 2^34, and is at
// most 63 below the true one. The wrapped sum of the accumulators gives the rest exactly.
[[gnu::target("avx2"), gnu::always_inline]] inline void cutBlock(const __m256i (&sums)[kLanes],
                                                                 Limb* rests, Limb* quotients) {
    __m256i low = sums[0];
    __m256i upperParts = _mm256_srli_epi64(sums[0], 32);
    for (std::size_t u = 1; u < kLanes; ++u) {
        low = _mm256_add_epi64(low, sums[u]);
        upperParts = _mm256_add_epi64(upperParts, _mm256_srli_epi64(sums[u], 32));
    }
    const __m256i quotient = _mm256_srli_epi64(
        _mm256_mul_epu32(_mm256_srli_epi64(upperParts, 2), _mm256_set1_epi64x(kInverseOfHalfBase)),
        27);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(rests),
                        _mm256_sub_epi64(low, timesHalfBase(quotient)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(quotients), quotient);
}

// The column sums of half products for a[0..na) (na <= kPieceLimbs) times b[0..nb)
// (nb <= kAvx2SchoolLimbs), cut into rests and quotients by 10^9, columns 0..2 (na + nb).
// Column k sums longHalves[i] * bHalves[k - i]. On x86-64, two blocks of four columns at a time:
// in steps of four i the windows of b that the upper block reads are the ones that the lower
// block read a step before. 32-bit code has eight vector registers, which the twelve
// accumulators and windows of that would overflow: it sums one block at a time, reading each
// window once.
#if defined(__x86_64__)
[[gnu::target("avx2")]] void sumColumns(Limb* rests, Limb* quotients, const Limb* longHalves,
                                        std::size_t na, const Limb* copies, std::size_t nb) {
    const std::size_t longCount = 2 * na;
    const std::size_t shortCount = 2 * nb;
    const std::size_t columns = longCount + shortCount;
    for (std::size_t k = 0; k < columns; k += 2 * kLanes) {
        // i from a multiple of four below the lowest one that the lower block's columns use.
        const std::size_t first = (k + 1 > shortCount ? k + 1 - shortCount : 0) & ~(kLanes - 1);
        const std::size_t end = std::min(longCount, k + 2 * kLanes);
        // Vector arrays in registers; std::array would drop the vector type's alignment.
        __m256i lower[kLanes];   // NOLINT(modernize-avoid-c-arrays)
        __m256i upper[kLanes];   // NOLINT(modernize-avoid-c-arrays)
        __m256i window[kLanes];  // NOLINT(modernize-avoid-c-arrays)
#pragma GCC unroll 4
        for (std::size_t u = 0; u < kLanes; ++u) {
            lower[u] = _mm256_setzero_si256();
            upper[u] = _mm256_setzero_si256();
            window[u] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(
                copies + u * kCopyLength + (k + 2 * kLanes - first)));
        }
        for (std::size_t i = first; i < end; i += kLanes) {
            const Limb* at = copies + (k + kLanes - i);
#pragma GCC unroll 4
            for (std::size_t u = 0; u < kLanes; ++u) {
                const __m256i x = _mm256_set1_epi64x(static_cast<long long>(longHalves[i + u]));
                const __m256i current =
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + u * kCopyLength));
                lower[u] = _mm256_add_epi64(lower[u], _mm256_mul_epu32(x, current));
                upper[u] = _mm256_add_epi64(upper[u], _mm256_mul_epu32(x, window[u]));
                window[u] = current;
            }
        }
        cutBlock(lower, rests + k, quotients + k);
        cutBlock(upper, rests + k + kLanes, quotients + k + kLanes);
    }
}
#else
[[gnu::target("avx2")]] void sumColumns(Limb* rests, Limb* quotients, const Limb* longHalves,
                                        std::size_t na, const Limb* copies, std::size_t nb) {
    const std::size_t longCount = 2 * na;
    const std::size_t shortCount = 2 * nb;
    const std::size_t columns = longCount + shortCount;
    for (std::size_t k = 0; k < columns; k += kLanes) {
        // i from a multiple of four below the lowest one that the block's columns use.
        const std::size_t first = (k + 1 > shortCount ? k + 1 - shortCount : 0) & ~(kLanes - 1);
        const std::size_t end = std::min(longCount, k + kLanes);
        __m256i sums[kLanes];  // NOLINT(modernize-avoid-c-arrays)
        for (__m256i& sum : sums) {
            sum = _mm256_setzero_si256();
        }
        for (std::size_t i = first; i < end; i += kLanes) {
            const Limb* at = copies + (k + kLanes - i);
#pragma GCC unroll 4
            for (std::size_t u = 0; u < kLanes; ++u) {
                const __m256i x = _mm256_set1_epi64x(static_cast<long long>(longHalves[i + u]));
                sums[u] = _mm256_add_epi64(
                    sums[u],
                    _mm256_mul_epu32(x, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(
                                            at + u * kCopyLength))));
            }
        }
        cutBlock(sums, rests + k, quotients + k);
    }
}
#endif

// Lanes (x0, x1, x2, x3) moved one lane up, (previous3, x0, x1, x2), given previous rotated
// the same way.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i oneLaneUp(__m256i rotated,
                                                                     __m256i previousRotated) {
    return _mm256_blend_epi32(rotated, previousRotated, 0x03);
}

[[gnu::target("avx2"), gnu::always_inline]] inline __m256i rotateUp(__m256i x) {
    return _mm256_permute4x64_epi64(x, _MM_SHUFFLE(2, 1, 0, 3));
}

// r[0..n) from the cut columns of halves 0..2n: the quotients go one column up, each rest and
// quotient below it are cut again, the small quotients of that go one more column up, and pairs
// of columns make limbs. A limb may then reach the base; a last pass carries from those, which is
// rarely needed.
[[gnu::target("avx2")]] void carryColumns(Limb* r, std::size_t n, const Limb* rests,
                                          const Limb* quotients) {
    const __m256i halfBase = _mm256_set1_epi64x(kHalfBase);
    const __m256i top = _mm256_set1_epi64x(static_cast<long long>(kBase - 1));
    __m256i previousQuotient = _mm256_setzero_si256();
    __m256i previousCarry = _mm256_setzero_si256();
    __m256i full = _mm256_setzero_si256();
    for (std::size_t k = 0; k < 2 * n; k += kLanes) {
        const __m256i quotient =
            rotateUp(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(quotients + k)));
        const __m256i sum =
            _mm256_add_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(rests + k)),
                             oneLaneUp(quotient, previousQuotient));
        previousQuotient = quotient;
        __m256i carry;
        const __m256i digit = cutSmall(sum, carry);
        carry = rotateUp(carry);
        // (even, odd, even, odd) columns; each limb in an even lane.
        const __m256i column = _mm256_add_epi64(digit, oneLaneUp(carry, previousCarry));
        previousCarry = carry;
        const __m256i limbs =
            _mm256_add_epi64(column, _mm256_mul_epu32(_mm256_srli_si256(column, 8), halfBase));
        full = _mm256_or_si256(full, _mm256_cmpgt_epi64(limbs, top));
        const __m256i packed = _mm256_permute4x64_epi64(limbs, _MM_SHUFFLE(3, 1, 2, 0));
        if (k + kLanes <= 2 * n) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(r + k / 2), _mm256_castsi256_si128(packed));
        } else {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(r + k / 2), _mm256_castsi256_si128(packed));
        }
    }
    // Lanes of full that are not limbs compare odd columns, far below the base.
    if (_mm256_testz_si256(full, full) == 0) {
        carryFullLimbs(r, n);
    }
}

// r[0..na+nb) = a * b for na <= kPieceLimbs and nb <= kAvx2SchoolLimbs.
[[gnu::target("avx2")]] void multiplyPiece(Limb* r, const Limb* a, std::size_t na, const Limb* b,
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

bool avx2SchoolAvailable() {
    return __builtin_cpu_supports("avx2");
}

void multiplySchoolAvx2(Limb* r, const Limb* a, std::size_t na, const Limb* b, std::size_t nb) {
    multiplyInPieces<kAvx2SchoolLimbs>(r, a, na, b, nb, multiplyPiece);
}

}  // namespace kestrum::aserv::kernel::detail

#else

namespace kestrum::aserv::kernel::detail {

bool avx2SchoolAvailable() {
    return false;
}

}  // namespace kestrum::aserv::kernel::detail

#endif
